# The layering of src/: which module may use which. This table is the one statement of the rule;
# the build checks every source file against it (cmake/CheckLayers.cmake) and each module's
# link dependencies against it (olvar_module), so an upward #include or a library cycle fails the
# build instead of creeping in.
#
# The rules:
#  - dependencies point down: a module names only modules listed above it, so there is no cycle;
#  - a module may include the headers of the modules it names and of everything those name;
#  - ui/ is the Qt layer: it adapts the core (binds widgets to fields, paints display lists, shows
#    dialogs) and computes nothing; nothing below ui/ includes Qt. app/ holds the main() functions
#    and is the only module above ui/.
#
# Listed bottom-up. Each entry: the module, then the modules it may use directly.
set(OLVAR_LAYERS
  "platform:"
  "core:platform"
  "anthro:core"
  "stats:core"
  "document:core,platform"
  "workspace:anthro,core,platform"
  "entry:anthro,core"
  "analysis:stats,anthro,core"
  "training:document,core"
  "planning:document,core"
  "graphs:analysis,anthro,stats,core"
  "mortality:graphs,document,stats,core"
  "foodsecurity:graphs,core,platform"
  "calculator:analysis,document,stats,core"
  "formats:analysis,workspace,stats,anthro,core"
  "reports:analysis,workspace,document,mortality,training,stats,anthro,core"
  "ui:formats,planning,training,calculator,mortality,foodsecurity,graphs,reports,analysis,workspace,document,entry,anthro,stats,core,platform"
  "app:ui,formats,planning,training,calculator,mortality,foodsecurity,graphs,reports,analysis,workspace,document,entry,anthro,stats,core,platform"
)

#pragma once
// The graph window: one graph of the results page (or any display list) on the screen, with
// Print, Copy (the picture to the clipboard), Save as PNG, SVG or PDF and Close, and the result lines that
// go with the graph below it. The survey window keeps one and shows each new graph in it.

#include <QDialog>
#include <filesystem>
#include <string>
#include <vector>

#include "core/language_table.h"
#include "core/prompter.h"
#include "graphs/display_list.h"

class QPlainTextEdit;
class QPrinter;
class QPushButton;

namespace olvar::ui {

class DrawingWidget;

// A drawing as a PDF document of one page its own size (empty when it cannot be made).
std::string pdf_of(const graphs::Drawing& drawing);

class GraphWindow : public QDialog {
  Q_OBJECT

 public:
  GraphWindow(const core::LanguageTable& text, core::Prompter* prompter, QWidget* parent = nullptr);

  // Shows a graph; `memo` lines appear below it (none: the box is hidden).
  void show_graph(graphs::Drawing drawing, const std::string& title,
                  const std::vector<std::string>& memo = {});
  // A file the pictures must never overwrite (the open survey).
  void set_protected_file(std::filesystem::path file) { protected_file_ = std::move(file); }
  void set_prompter(core::Prompter* prompter) { prompter_ = prompter; }

  const graphs::Drawing& drawing() const;
  // The picture at twice the size of the screen's, as Copy and Save as PNG make it.
  QImage picture() const;

  // Print: the printer dialog, then the graph as large as the page allows.
  void print();
  void print_to(QPrinter& printer) const;
  // Copy: the picture on the clipboard, then Language entry 838.
  void copy_to_clipboard();
  // Save as: asks for a file; ".svg" writes SVG, ".pdf" a PDF page, anything else PNG at print
  // resolution (".png" added when the name has no extension). Returns whether a file was written.
  bool save_as();
  // Writes the picture to `file` through the safe write; the protected file is refused. Tells
  // the user what went wrong and returns false on failure.
  bool save_to(const std::filesystem::path& file);

 private:
  const core::LanguageTable& text_;
  core::Prompter* prompter_;
  std::filesystem::path protected_file_;
  DrawingWidget* picture_ = nullptr;
  QPlainTextEdit* memo_ = nullptr;
};

}  // namespace olvar::ui

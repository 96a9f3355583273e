#pragma once
// The merge window (Extras > "Merge surveys"): a folder and the survey files ("*.as") in it,
// several of which are chosen to be merged in list order. It only gathers the choice; the
// caller reads and merges the files (formats::merge_surveys).

#include <QDialog>
#include <filesystem>
#include <vector>

#include "core/language_table.h"

class QLineEdit;
class QListWidget;

namespace olvar::ui {

class MergeWindow : public QDialog {
  Q_OBJECT

 public:
  MergeWindow(const std::filesystem::path& folder, const core::LanguageTable& text,
              QWidget* parent = nullptr);

  // Lists the survey files of `folder`, sorted by name.
  void show_folder(const std::filesystem::path& folder);
  // The chosen files, in list order.
  std::vector<std::filesystem::path> chosen_files() const;

  QListWidget* file_list() const { return files_; }

 private:
  QLineEdit* folder_;
  QListWidget* files_;
};

}  // namespace olvar::ui

#pragma once
// The report editor ("Editor"): a small rich-text editor that shows a report when no office
// program could be started, so that the user still sees, edits, saves and prints it.

#include <QMainWindow>
#include <QString>
#include <filesystem>

#include "document/editor_ruler.h"
#include "document/office_hand_off.h"

class QAction;
class QComboBox;
class QFontComboBox;
class QSpinBox;
class QTextEdit;
class QTextCharFormat;

namespace olvar::ui {

class IndentRuler;

class ReportEditorWindow : public QMainWindow, public document::ReportEditorOpener {
  Q_OBJECT

 public:
  // `start_folder`: where the open and save dialogs start (the program folder).
  explicit ReportEditorWindow(QString start_folder, QWidget* parent = nullptr);

  // Shows the document in the window and brings the window up (ReportEditorOpener).
  void open_report_editor(const std::filesystem::path& document) override;

  // Loads an RTF or text file; false (the text unchanged) when it cannot be read.
  bool load_file(const QString& file);
  // Saves as RTF (or plain text for ".txt"); false when it cannot be written.
  // Through the platform's safe write; on failure last_write_failure_ names the file and why.
  bool save_file(const QString& file);

  QTextEdit* text_edit() const { return text_; }
  const QString& document_name() const { return document_name_; }

  void file_new();
  void file_open();
  bool file_save();
  bool file_save_as();
  void file_print();

 private:
  void build_actions();
  void update_controls();  // tool bar and ruler in line with the selection
  void apply_char_format(const QTextCharFormat& format);
  void set_indents(const document::ParagraphIndents& indents);
  document::ParagraphIndents current_indents() const;
  void set_document_name(const QString& name);

  QTextEdit* text_ = nullptr;
  IndentRuler* ruler_ = nullptr;
  QFontComboBox* font_name_ = nullptr;
  QSpinBox* font_size_ = nullptr;
  QAction* bold_ = nullptr;
  QAction* italic_ = nullptr;
  QAction* underline_ = nullptr;
  QAction* align_left_ = nullptr;
  QAction* align_center_ = nullptr;
  QAction* align_right_ = nullptr;
  QAction* bullets_ = nullptr;
  QString start_folder_;
  QString document_name_;
  QString last_write_failure_;
  bool updating_ = false;  // while set, showing a value in a control does not apply it
};

}  // namespace olvar::ui

#pragma once

#include <QDialog>

namespace olvar::ui {

// The window shown at start: the product name and one button that goes on to the survey window.
class IntroWindow : public QDialog {
  Q_OBJECT

 public:
  explicit IntroWindow(QWidget* parent = nullptr);
};

}  // namespace olvar::ui

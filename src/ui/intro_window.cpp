#include "ui/intro_window.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace olvar::ui {

IntroWindow::IntroWindow(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Olvar"));
  auto* layout = new QVBoxLayout(this);
  auto* title = new QLabel(QStringLiteral("Olvar"), this);
  QFont font = title->font();
  font.setPointSize(font.pointSize() * 3);
  font.setBold(true);
  title->setFont(font);
  title->setAlignment(Qt::AlignCenter);
  auto* subtitle =
      new QLabel(QStringLiteral("Nutrition and mortality surveys in emergencies"), this);
  subtitle->setAlignment(Qt::AlignCenter);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("intro_ok"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(title);
  layout->addWidget(subtitle);
  layout->addWidget(ok, 0, Qt::AlignCenter);
  resize(420, 220);
}

}  // namespace olvar::ui

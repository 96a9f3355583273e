#include "ui/caption_translator.h"

#include <QCoreApplication>
#include <utility>

#include "ui/qt_convert.h"

namespace olvar::ui {

CaptionTranslator::CaptionTranslator(core::CaptionTable captions, QObject* parent)
    : QTranslator(parent), captions_(std::move(captions)) {}

QString CaptionTranslator::translate(const char* /*context*/, const char* source_text,
                                     const char* /*disambiguation*/, int /*n*/) const {
  if (source_text == nullptr) return {};
  // The code's captions are UTF-8; the captions file is Windows-1252 like the language files.
  const std::string key = from_qstring(QString::fromUtf8(source_text));
  const std::string* found = captions_.find(key);
  // An empty result tells Qt to show the source text.
  return found == nullptr ? QString() : to_qstring(*found);
}

QString translate_caption(const char* english) {
  return QCoreApplication::translate("Olvar", english);
}

}  // namespace olvar::ui

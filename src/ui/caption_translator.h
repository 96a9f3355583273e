#pragma once
// Hands the captions of the chosen language (core/caption_table.h) to Qt: every tr() caption of
// the desktop, and the captions the core names in English (translate_caption), are looked up by
// their English wording. Installed once at start, before any window is built.

#include <QString>
#include <QTranslator>

#include "core/caption_table.h"

namespace olvar::ui {

class CaptionTranslator : public QTranslator {
 public:
  explicit CaptionTranslator(core::CaptionTable captions, QObject* parent = nullptr);

  QString translate(const char* context, const char* source_text,
                    const char* disambiguation = nullptr, int n = -1) const override;
  bool isEmpty() const override { return captions_.empty(); }

 private:
  core::CaptionTable captions_;
};

// A caption the core gives in English (UTF-8 in the code), in the chosen language.
QString translate_caption(const char* english);

}  // namespace olvar::ui

#pragma once

#include <QTranslator>

// Routes the scene's qsTr() texts through the language service, so that the scene and the
// library read from the same language files and switch language together.
class LangTranslator : public QTranslator
{
public:
    using QTranslator::QTranslator;
    QString translate(const char *context, const char *sourceText, const char *disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }
};

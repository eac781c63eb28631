#include "LangTranslator.h"

#include "TLanguage.h"

QString LangTranslator::translate(const char *, const char *sourceText, const char *, int) const
{
    return sourceText ? LangTr(sourceText) : QString();
}

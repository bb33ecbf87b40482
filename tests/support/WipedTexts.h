#pragma once

#include "core/Wipe.h"

#include <QList>
#include <QString>
#include <QStringList>

// Records every text that goes through Wipe::text while it lives: which variable and what it held.
// It keeps copies of its own, so the wiped buffers are not held and are overwritten as they would be
// without it.
class WipedTexts {
public:
    WipedTexts()
    {
        Wipe::setTextWatcher([this](const QString& text) {
            m_variables << &text;
            m_texts << QString(text.constData(), text.size());
        });
    }
    ~WipedTexts() { Wipe::setTextWatcher({}); }
    WipedTexts(const WipedTexts&) = delete;
    WipedTexts& operator=(const WipedTexts&) = delete;

    // Whether this variable itself went through the wipe holding `text`.
    bool wiped(const QString& variable, const QString& text) const
    {
        for (qsizetype i = 0; i < m_variables.size(); ++i) {
            if (m_variables.at(i) == &variable && m_texts.at(i) == text)
                return true;
        }
        return false;
    }
    // How often a text of this content went through the wipe.
    qsizetype count(const QString& text) const { return m_texts.count(text); }

private:
    QList<const QString*> m_variables;
    QStringList m_texts;
};

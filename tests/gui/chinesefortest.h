// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

// The hosts' Chinese for the length of a test: installed when made, taken away when it goes, so
// that the tests after it read the source language again. Windows read their texts as they are
// made: make them after this.

#include "hostlanguage.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

// Takes every translator the hosts installed away again.
inline void removeTranslators()
{
    for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

class ChineseForTest
{
public:
    ChineseForTest()
        : m_loaded(HostLanguage::install(*QCoreApplication::instance(), QLocale("zh_CN")))
    {
    }
    ~ChineseForTest()
    {
        removeTranslators();
        HostLanguage::install(*QCoreApplication::instance(), QLocale("en"));
    }
    ChineseForTest(const ChineseForTest&) = delete;
    ChineseForTest& operator=(const ChineseForTest&) = delete;

    bool loaded() const { return m_loaded; }

private:
    bool m_loaded;
};

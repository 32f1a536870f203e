// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

// Random flows for the tests that check a whole run against another view of it (its plan, its
// undo): steps of the given types naming files that are there, missing, folders, or made by an
// earlier step, under every clash policy and rename method.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStringList>

struct RandomFlowPool {
    QStringList names;    // what the steps name
    QStringList folders;  // where copies and moves go
    QStringList newNames; // what renames by a new name use
    QStringList types;    // the step types drawn from; one listed twice is drawn twice as often
};

inline QJsonObject randomSettings(QRandomGenerator& random, const QString& type,
                                  const RandomFlowPool& pool)
{
    const auto any = [&random](const QStringList& list) {
        return list.at(random.bounded(int(list.size())));
    };
    const auto pick = [&] { return any(pool.names); };
    const auto picks = [&] {
        QStringList list;
        for (int n = 1 + random.bounded(3); n > 0; --n)
            list << pick();
        return list.join(QLatin1Char('\n'));
    };
    if (type == QLatin1String("file.copy") || type == QLatin1String("file.move"))
        return {{"files", picks()},
                {"destDir", any(pool.folders)},
                {"ifExist", random.bounded(3)},
                {"listVar", "list"}};
    if (type == QLatin1String("file.rename"))
        return {{"files", picks()},
                {"mode", random.bounded(6)},
                {"newName", any(pool.newNames)},
                {"addText", "-1"},
                {"addPos", random.bounded(2)},
                {"delText", "a"},
                {"oldText", "x"},
                {"newText", "y"},
                {"newExt", random.bounded(2) ? "md" : ""},
                {"sep", random.bounded(5)},
                {"usePad", bool(random.bounded(2))},
                {"ifNewExist", random.bounded(2)},
                {"newList", "list"}};
    if (type == QLatin1String("file.delete"))
        return {{"files", picks()}, {"deletedList", "list"}};
    if (type == QLatin1String("file.write"))
        return {{"filePath", pick()},
                {"content", random.bounded(2) ? "$list" : "文字"},
                {"ifExist", random.bounded(2)}};
    if (type == QLatin1String("file.writecsv"))
        return {{"sourceVar", "table"}, {"filePath", pick()}, {"ifExist", random.bounded(3)}};
    return {{"filePath", pick()}, {"targetVarStr", "text"}}; // file.read
}

inline QByteArray randomFlow(QRandomGenerator& random, const RandomFlowPool& pool)
{
    QJsonArray steps;
    for (int n = 3 + random.bounded(5); n > 0; --n) {
        const QString type = pool.types.at(random.bounded(int(pool.types.size())));
        steps.append(QJsonObject{{"type", type}, {"settings", randomSettings(random, type, pool)}});
    }
    const QJsonObject variables{
        {"list", QJsonObject{{"type", "list"}}},
        {"text", QJsonObject{{"type", "string"}}},
        {"table", QJsonObject{{"type", "datatable"}, {"value", "[[\"1\",\"a,b\"]]"}}}};
    return QJsonDocument(QJsonObject{{"variables", variables}, {"steps", steps}}).toJson();
}

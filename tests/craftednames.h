// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

// New names a hostile flow may hand the rename step (from a variable or a table cell), each run
// against one tree: a file in "in", a neighbour folder "outside" holding a file to protect, a link
// in "in" that leads out and one that leads to a folder of "in". None may move a file out of
// its own folder; the few that stay inside are renamed as any name.

struct CraftedName {
    const char* tag;
    const char* settings; // "name=value" entries, "|" between them
    const char* listed;   // the new path as the step lists it, or "" when the file stays
    const char* after;    // the tree after a rename, or "" when it is unchanged
};

const char* const craftedTree =
    "in/a.txt|in/b|in/sub/|outside/important.txt|in/out->../outside|in/inner->sub";

const CraftedName craftedNames[] = {
    {"0 climbs out twice", "files=in/a.txt|newName=../../outside/important", "", ""},
    {"0 climbs out onto a file", "files=in/a.txt|newName=../outside/important", "", ""},
    {"0 climbs to the folder above", "files=in/a.txt|newName=../a", "", ""},
    {"0 climbs out far", "files=in/a.txt|newName=../../../../../../../../../../tmp/x", "", ""},
    {"0 ends in ../", "files=in/a.txt|newName=../", "", ""},
    {"0 absolute", "files=in/a.txt|newName=/tmp/x", "", ""},
    {"0 absolute with suffix", "files=in/a.txt|newName=/etc/passwd.x", "in/passwd.x",
     "in/b|in/inner->sub|in/out->../outside|in/passwd.x=in/a.txt|in/sub/|outside/important.txt"},
    {"0 through a link that leads out", "files=in/a.txt|newName=out/x", "", ""},
    {"0 through a link, then ..", "files=in/a.txt|newName=out/../x", "", ""},
    {"0 into a folder and out", "files=in/a.txt|newName=sub/../../x", "", ""},
    {"0 into a missing folder", "files=in/a.txt|newName=nosuch/x", "", ""},
    {"0 through a file", "files=in/a.txt|newName=b/x", "", ""},
    {"0 empty name of a file without suffix", "files=in/b", "", ""},
    {"0 folder climbs out", "files=in/sub|newName=../sub2", "", ""},
    {"1 before the name, climbs out", "files=in/a.txt|mode=1|addPos=0|addText=/../outside/x", "",
     ""},
    {"1 after the name, climbs out", "files=in/a.txt|mode=1|addText=/../../outside/x", "", ""},
    {"1 after the name, into the file", "files=in/a.txt|mode=1|addText=/", "", ""},
    {"2 deletes the whole name", "files=in/b|mode=2|delText=b", "", ""},
    {"3 turns the name into ../", "files=in/b|mode=3|oldText=b|newText=../", "", ""},
    {"3 turns the name into ..", "files=in/b|mode=3|oldText=b|newText=..", "", ""},
    {"3 turns the name into .", "files=in/b|mode=3|oldText=b|newText=.", "", ""},
    {"3 turns the name into a path out", "files=in/b|mode=3|oldText=b|newText=../outside/x", "",
     ""},
    {"4 extension with slashes", "files=in/a.txt|mode=4|newExt=/../../x", "", ""},
    // Names that stay in the folder are renamed.
    {"0 sub/new", "files=in/a.txt|newName=sub/new", "in/sub/new.txt",
     "in/b|in/inner->sub|in/out->../outside|in/sub/new.txt=in/a.txt|outside/important.txt"},
    {"0 into a folder and back", "files=in/a.txt|newName=sub/../x", "in/sub/../x.txt",
     "in/b|in/inner->sub|in/out->../outside|in/sub/|in/x.txt=in/a.txt|outside/important.txt"},
    {"0 through a link that stays inside", "files=in/a.txt|newName=inner/x", "in/inner/x.txt",
     "in/b|in/inner->sub|in/out->../outside|in/sub/x.txt=in/a.txt|outside/important.txt"},
    {"0 .. alone is a name", "files=in/a.txt|newName=..", "in/...txt",
     "in/...txt=in/a.txt|in/b|in/inner->sub|in/out->../outside|in/sub/|outside/important.txt"},
    {"0 backslashes are characters", "files=in/a.txt|newName=..\\..\\outside\\important",
     "in/..\\..\\outside\\important",
     "in/..\\..\\outside\\important=in/a.txt|in/b|in/inner->sub|in/out->../outside|in/sub/|"
     "outside/important.txt"},
};

// A row's settings as a flow's JSON gives them: the choices as numbers, the rest as text.
inline QJsonObject craftedSettings(const char* settings)
{
    QJsonObject json;
    for (const QString& setting : QString::fromUtf8(settings).split(QLatin1Char('|'))) {
        const QString name = setting.section(QLatin1Char('='), 0, 0);
        const QString value = setting.section(QLatin1Char('='), 1);
        const bool number = name == QLatin1String("mode") || name == QLatin1String("addPos");
        json.insert(name, number ? QJsonValue(value.toInt()) : QJsonValue(value));
    }
    return json;
}

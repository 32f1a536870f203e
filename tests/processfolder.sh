#!/bin/sh
# SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
# SPDX-License-Identifier: MIT

# The process's current folder is shared by every flow a host runs at once: the plug-in, the
# journal and the hosts' run and plan code take the folder a flow was given instead, and ask the
# process only through processCurrentFolder() in core/posixfile_unix.cpp.
# Usage: processfolder.sh SOURCE_DIR
cd "$1" || exit 2
found=$(grep -rnE 'QDir::(setCurrent|currentPath|current)\b|\bchdir\(' \
  core filesystem journal text csv operations plugin host/flow host/stephost host/gui \
  host/extensions |
  # The window remembers once, as it starts, the folder it was started from: a new flow's folder.
  grep -v 'host/gui/mainwindow.cpp:[0-9]*: *launchFolder() = QDir::currentPath();')
if [ -n "$found" ]; then
  echo "the process's current folder is used here; take the flow's folder instead:"
  echo "$found"
  exit 1
fi
count=$(grep -rn 'getcwd' core filesystem journal text csv operations plugin | wc -l)
if [ "$count" -ne 1 ]; then
  echo "getcwd must be called in one place only (processCurrentFolder), found $count:"
  grep -rn 'getcwd' core filesystem journal text csv operations plugin
  exit 1
fi

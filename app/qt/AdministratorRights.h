#pragma once

#include "app/qt/MessageBoxes.h"

#include <QString>

// Reading the disks takes root's rights; the desktop entry gets them through polkit.
bool RunsAsAdministrator();

// Started without those rights (from a terminal, or where polkit is missing), the program says
// once, before its greeting, that the disks cannot be read and how to start it with the rights.
// The run still works: each disk's block then says why it could not be opened.
void WarnUnlessAdministrator(bool administrator, const QString& programPath, const MessageBoxFunction& showBox);

#pragma once
// The tool bar's 48 x 48 pictures, drawn by the program itself.
#include <QIcon>

enum class TToolIcon { New, Open, Save, Print, Copy, Paste, Preview, Site, Help };

QIcon MakeToolIcon(TToolIcon Kind);

// The program's own resources: button pictures (SVG) and the help pages.
#pragma once

#include <QIcon>
#include <QString>

namespace tolvane {

// Registers the resources of this library (they live in a static library, so a program must
// ask for them). Safe to call more than once.
void InitAppResources();

// A button picture by name ("new", "edit", "send", ...), drawn from its SVG.
QIcon ButtonIcon(const QString& name);
// The program icon.
QIcon ProgramIcon();

} // namespace tolvane

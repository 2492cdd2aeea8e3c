#pragma once
// The file dialogs of the editor panels' import and export buttons.

#include <QString>

class QWidget;

namespace talven {

// An existing file to open (save false), or a place to save to with
// `suffix` added when the name has none; empty when the user cancelled.
QString chooseDataFile(QWidget* parent, bool save, const QString& filter, const QString& suffix);

}  // namespace talven

#include "app/file_dialog.h"

#include <QFileDialog>

namespace talven {

QString chooseDataFile(QWidget* parent, bool save, const QString& filter, const QString& suffix) {
    if (!save) return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
    QFileDialog dialog(parent, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().front()
                                                                                   : QString();
}

}  // namespace talven

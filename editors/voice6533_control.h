#pragma once
// CVoice6533ControlUI: the headset's sound panel — the equaliser (twelve
// presets and a custom mode, ten bands, the user's named curves) and the
// microphone's input and monitoring levels and switches. A thin view: it
// shows what the headset page gives it and remembers only the equaliser
// mode it shows; the page does the work.

#include "ui/layouts.h"

#include <QString>

namespace talven {

class CVoice6533ControlUI : public ui::CHorizontalLayoutUI {
    Q_OBJECT
public:
    QString GetClass() const override { return QStringLiteral("Voice6533Control"); }

    // Mode 1..13 selects its option; anything else is remembered as 0 with
    // no option selected.
    void selectEqualiserMode(int mode);
    int equaliserMode() const { return mode_; }
    // The custom curves' group (list, name, save, delete).
    void enableCustomControls(bool on);

    void setBand(int band, int value);
    int band(int band);  // 0 when the slider is missing

    // Selections shown without a notification.
    void setInputOn(bool on);
    void setMonitoringOn(bool on);
    void setInputLevel(int percent);
    void setMonitoringLevel(int percent);
    int inputLevel();       // -1 when the slider is missing
    int monitoringLevel();  // -1 when the slider is missing
    // The monitoring controls, for a headset without that path.
    void enableMonitoring(bool on);

    void addCurveName(const QString& name);
    int selectedCurve();  // -1 when none
    int curveCount();
    // Also clears the new-curve name; -1 selects none.
    void selectCurve(int index);
    void removeCurve(int index);
    void removeAllCurves();
    QString curveName(int index);  // empty when missing
    QString newCurveName();
    void setNewCurveName(const QString& name);

    // Without the audio library every control is disabled and a line says
    // why (`why` is the library's own words); an empty `why` enables them.
    void showUnavailable(const QString& why);
    // The line beside the equaliser's title saying the curve is heard only
    // when the headset plays through PipeWire.
    void showEqualiserNote(bool shown);

private:
    int mode_ = 0;
};

}  // namespace talven

#pragma once
// Progress bar and slider. The filled part is `foreimage` (stretched, or cut
// with isstretchfore="false") or `forecolor`; with `trackheight` the
// background and the filled part are drawn as a rounded bar of that
// thickness through the middle instead of over the whole control.

#include "ui/label_button.h"

namespace talven::ui {

class CProgressUI : public CLabelUI {
    Q_OBJECT

public:
    CProgressUI();
    QString GetClass() const override;

    bool IsHorizontal() const { return horizontal_; }
    void SetHorizontal(bool horizontal = true);
    bool IsStretchForeImage() const { return stretchFore_; }
    void SetStretchForeImage(bool stretch);
    int GetMinValue() const { return min_; }
    void SetMinValue(int min);
    int GetMaxValue() const { return max_; }
    void SetMaxValue(int max);
    int GetValue() const { return value_; }
    // Clamped to [min, max]; sends nothing.
    void SetValue(int value);
    QColor GetForeColor() const { return foreColor_; }
    void SetForeColor(const QColor& color);
    int GetTrackHeight() const;
    void SetTrackHeight(int height);

    void SetAttribute(const QString& name, const QString& value) override;
    void PaintBkColor(QPainter& painter) override;
    void PaintStatusImage(QPainter& painter) override;
    void PaintForeImage(QPainter& painter) override;

protected:
    // The band the bar occupies (the whole control without a track height).
    QRect TrackRect() const;
    // The filled part of the track, in control coordinates.
    virtual QRect ForeRect() const;
    double Fraction() const;

private:
    bool horizontal_ = true;
    bool stretchFore_ = true;
    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
    int trackHeight_ = 0;  // design units
    QColor foreColor_;
};

// Notifications: "movevaluechanged" while the thumb is dragged and the value
// changes; "valuechanged" when the button is released (after a drag or a
// click on the track) and for each keyboard step. Setting the value from
// code sends nothing.
class CSliderUI : public CProgressUI {
    Q_OBJECT

public:
    CSliderUI();
    QString GetClass() const override;

    int GetChangeStep() const { return step_; }
    void SetChangeStep(int step) { step_ = qMax(1, step); }
    QSize GetThumbSize() const;
    void SetThumbSize(const QSize& size);
    void SetThumbImage(const QString& image);
    void SetThumbHotImage(const QString& image);
    void SetThumbPushedImage(const QString& image);
    void SetThumbColor(const QColor& color);
    // The thumb, in control coordinates.
    QRect GetThumbRect() const;
    bool IsDragging() const { return (state_ & UISTATE_CAPTURED) != 0; }

    void DoEvent(TEventUI& event) override;
    bool IsMouseInteractive() const override { return true; }
    void SetAttribute(const QString& name, const QString& value) override;
    void PaintStatusImage(QPainter& painter) override;

protected:
    QRect ForeRect() const override;

private:
    int ValueAt(const QPoint& windowPoint) const;
    void StepBy(int delta);

    int step_ = 1;
    QSize thumbSize_{14, 14};  // design units
    QString thumbImage_, thumbHotImage_, thumbPushedImage_;
    QColor thumbColor_{0xE6, 0xE8, 0xEC};
    uint state_ = 0;
};

}  // namespace talven::ui

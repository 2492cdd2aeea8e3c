#pragma once
// Buttons with a picture of their own: an entry with a small delete icon
// (CHandImgButtonUI), its selectable variant with a chosen cursor
// (CHandImgSelectButtonUI), and the macro editor's record button that pulses
// while recording (CRedioMacroButtonUI).

#include "ui/label_button.h"

namespace talven {

class CHandImgButtonUI : public ui::CButtonUI {
    Q_OBJECT
public:
    QString GetClass() const override { return QStringLiteral("HandImgButton"); }
    void SetAttribute(const QString& name, const QString& value) override;
    void DoEvent(ui::TEventUI& event) override;
    void PaintStatusImage(QPainter& painter) override;

    // The delete icon in window coordinates.
    QRect DeleteRect() const;
    QString CurrentDeleteImage() const { return currentDelete_; }

private:
    QString handImage_;
    QString deleteNormal_;
    QString deleteHot_;
    QString currentDelete_;
    bool inside_ = false;
};

class CHandImgSelectButtonUI : public ui::CButtonUI {
    Q_OBJECT
public:
    QString GetClass() const override { return QStringLiteral("HandImgSelectButton"); }
    void SetAttribute(const QString& name, const QString& value) override;
    void DoEvent(ui::TEventUI& event) override;
    void PaintStatusImage(QPainter& painter) override;
    // The part of the hand image shown: "source='l,t,r,b'".
    void SetHandSource(const QRect& source);

private:
    QString handImage_;
    QRect source_;
};

class CRedioMacroButtonUI : public ui::CButtonUI {
    Q_OBJECT
public:
    static constexpr uint kPulseTimer = 100;
    static constexpr uint kPulseMs = 50;
    QString GetClass() const override { return QStringLiteral("RedioMacroButton"); }
    void SetAttribute(const QString& name, const QString& value) override;
    void DoEvent(ui::TEventUI& event) override;
    void SetRecording(bool on);
    bool IsRecording() const { return recording_; }
    int Fade() const { return fade_; }

private:
    void Pulse();

    QString recordImage_;
    bool recording_ = false;
    int fade_ = 255;
    int step_ = -20;
};

}  // namespace talven

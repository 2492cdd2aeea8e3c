#pragma once
// Options (buttons with a selected state) and check boxes. Options sharing a
// `group` name are exclusive within their window: selecting one deselects
// the others. Only the option that becomes selected sends "selectchanged"
// in a group; an option without a group sends it on every change.

#include "ui/label_button.h"

namespace talven::ui {

class COptionUI : public CButtonUI {
    Q_OBJECT

public:
    QString GetClass() const override;

    bool IsSelected() const { return selected_; }
    virtual void Selected(bool selected, bool sendNotify = true);
    QString GetGroup() const { return group_; }
    void SetGroup(const QString& group);

    // A click sends "click", then selects (in a group) or toggles.
    bool Activate() override;
    void SetManager(CPaintManagerUI* manager, bool init = true) override;
    void SetAttribute(const QString& name, const QString& value) override;

    void SetSelectedImage(const QString& image);
    void SetSelectedHotImage(const QString& image);
    void SetSelectedPushedImage(const QString& image);
    void SetSelectedForeImage(const QString& image);
    void SetSelectedTextColor(const QColor& color);
    void SetSelectedBkColor(const QColor& color);

    void PaintBkColor(QPainter& painter) override;
    void PaintStatusImage(QPainter& painter) override;
    void PaintForeImage(QPainter& painter) override;

protected:
    QColor StateTextColor() const override;

private:
    bool selected_ = false;
    QString group_;
    QString selectedImage_, selectedHotImage_, selectedPushedImage_, selectedForeImage_;
    QColor selectedTextColor_, selectedBkColor_;
};

class CCheckBoxUI : public COptionUI {
    Q_OBJECT

public:
    QString GetClass() const override;
    bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool check, bool sendNotify = true) { Selected(check, sendNotify); }
    void SetAttribute(const QString& name, const QString& value) override;
};

}  // namespace talven::ui

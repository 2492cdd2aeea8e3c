#pragma once
// CCircleProgressUI: a progress shown as a ring that fills clockwise from
// the bottom; CChartViewUI: a bar chart of (value, text) items; CWndUI: a
// place in the layout for a native child window.

#include "ui/slider_progress.h"

#include <QPointer>

#include <vector>

namespace talven {

class CCircleProgressUI : public ui::CProgressUI {
    Q_OBJECT
public:
    QString GetClass() const override { return QStringLiteral("CircleProgress"); }
    void PaintBkColor(QPainter& painter) override;
    void PaintStatusImage(QPainter& painter) override;
    void PaintForeImage(QPainter&) override {}
};

class CChartViewUI : public ui::CControlUI {
    Q_OBJECT
public:
    struct Item {
        double value = 0;
        QString text;
    };
    QString GetClass() const override { return QStringLiteral("ChartView"); }
    void SetAttribute(const QString& name, const QString& value) override;
    void DoPaint(QPainter& painter, const QRect& paintRect) override;

    void AddItem(double value, const QString& text);
    void RemoveAllItems();
    const std::vector<Item>& Items() const { return items_; }
    QString View() const { return view_; }

private:
    void PaintBars(QPainter& painter);

    std::vector<Item> items_;
    QString view_;
    QString shadowImage_;
    int shadowHeight_ = 0;
    QString pillarImage_;
    int pillarWidth_ = 16;
    bool showText_ = false;
    bool showHtml_ = false;
    int font_ = -1;
};

class CWndUI : public ui::CControlUI {
    Q_OBJECT
public:
    QString GetClass() const override { return QStringLiteral("Wnd"); }
    // Hosts `window`: it follows the control's place and visibility.
    void Attach(QWidget* window);
    QWidget* Detach();
    void SetPos(const QRect& rc, bool needInvalidate = true) override;
    void SetVisible(bool visible = true) override;

private:
    void Follow();
    QPointer<QWidget> hosted_;
};

}  // namespace talven

#pragma once
// Drawing helpers shared by the controls: image descriptions (plain file or
// file/source/corner/dest/fade/xtiled/ytiled/hole), nine-slice images, SVG
// rendered at the size it is drawn, and text with the layout-file flags.

#include <QColor>
#include <QLine>
#include <QMargins>
#include <QRect>
#include <QSizeF>
#include <QString>

class QPainter;

namespace talven::ui {

class CPaintManagerUI;

// One image description, read from `key='value'` pairs or a plain file name.
struct TDrawInfo {
    QString sDrawString;
    QString sImageName;  // file (or res), relative to the skin folder
    QString sResType;
    QRect rcDest;        // design units relative to the control; null: the whole control
    QRect rcSource;      // image units (pixels; an SVG's own units); null: the whole image
    QMargins rcCorner;   // image units kept unstretched at the edges
    int uFade = 255;
    bool bHole = false;
    bool bTiledX = false;
    bool bTiledY = false;

    // Reads `image`, then `modify` over it. False when some key had a
    // malformed value (that key keeps its default; the rest is read).
    bool Parse(const QString& image, const QString& modify = {});
    bool IsEmpty() const { return sImageName.isEmpty(); }
    // The image's file below the current resource folder. Kept from the
    // last call while that folder and the image's name stay the same: a
    // description is drawn on every paint of its control.
    const QString& ResolvedPath() const;

private:
    mutable QString resolvedFor_;
    mutable QString resolvedName_;
    mutable QString resolved_;
};

class CRenderEngine {
public:
    // Draws the description inside rcItem (painter coordinates), skipping
    // what lies outside rcPaint. False when there is no image to draw (empty
    // description, missing or unreadable file).
    static bool DrawImageString(QPainter& painter, CPaintManagerUI* manager, const QRect& rcItem,
                                const QRect& rcPaint, const QString& image,
                                const QString& modify = {});
    static bool DrawImageInfo(QPainter& painter, CPaintManagerUI* manager, const QRect& rcItem,
                              const QRect& rcPaint, const TDrawInfo& info);

    static void DrawColor(QPainter& painter, const QRect& rc, const QColor& color);
    static void DrawGradient(QPainter& painter, const QRect& rc, const QColor& from,
                             const QColor& to, bool vertical);
    static void DrawLine(QPainter& painter, const QLine& line, int size, const QColor& color);
    static void DrawRect(QPainter& painter, const QRect& rc, int size, const QColor& color);
    static void DrawRoundRect(QPainter& painter, const QRect& rc, int size, int radiusX,
                              int radiusY, const QColor& color);
    // Text in rc with DT_* style bits and the window's font slot `font`.
    static void DrawText(QPainter& painter, CPaintManagerUI* manager, const QRect& rc,
                         const QString& text, const QColor& color, int font, uint style);
    // The size the text takes; wrapped at maxWidth when style has DT_WORDBREAK.
    static QSize GetTextSize(CPaintManagerUI* manager, const QString& text, int font, uint style,
                             int maxWidth = 0);

    // Natural size of an image file (an SVG's default size); empty if missing.
    static QSizeF GetImageSize(const QString& file);
    // Forgets loaded images and rendered SVGs (after a dpi change or when
    // the files changed).
    static void ClearImageCache();
};

}  // namespace talven::ui

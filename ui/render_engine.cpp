#include "ui/render_engine.h"

#include <QCache>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHash>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QTextLayout>

#include <cstdio>
#include <memory>
#include <optional>

#include "platform/debug_output.h"
#include "ui/attribute_parse.h"
#include "ui/control.h"
#include "ui/paint_manager.h"
#include "ui/text_cache.h"

namespace talven::ui {

namespace {

// Bigger renderings are refused: a broken dest or source must not make us
// allocate gigabytes.
constexpr int kMaxPixmapSide = 8192;

void DrawNineSlice(QPainter& p, const QRectF& dest, const QPixmap& pix, const QRectF& src,
                   const QMarginsF& srcCorner, QMarginsF destCorner, bool hole);

// What decides a sliced image; looked up on every paint, so no strings are built.
struct NineKey {
    QString path;
    QRectF src;
    QMarginsF srcCorner, destCorner;
    QSize pixels;
    double dpr = 1.0;
    bool hole = false;

    friend bool operator==(const NineKey&, const NineKey&) = default;
};

size_t qHash(const NineKey& k, size_t seed = 0) {
    return qHashMulti(seed, k.path, k.src.x(), k.src.y(), k.src.width(), k.src.height(), k.srcCorner.left(),
                      k.srcCorner.top(), k.destCorner.left(), k.destCorner.top(), k.pixels.width(), k.pixels.height(),
                      k.dpr, k.hole);
}

// One SVG rendered at one size.
struct SvgKey {
    QString path;
    QSize pixels;

    friend bool operator==(const SvgKey&, const SvgKey&) = default;
};

size_t qHash(const SvgKey& k, size_t seed = 0) { return qHashMulti(seed, k.path, k.pixels.width(), k.pixels.height()); }

struct LoadedImage {
    bool svg = false;
    std::shared_ptr<QSvgRenderer> renderer;
    QPixmap pixmap;
    QSizeF size;  // image units
};

class ImageStore {
public:
    const LoadedImage* Load(const QString& path) {
        auto it = images_.find(path);
        if (it == images_.end()) it = images_.insert(path, Read(path));
        return it->has_value() ? &**it : nullptr;
    }

    QPixmap RenderSvg(const QString& path, const LoadedImage& image, const QSize& pixels) {
        const SvgKey key{path, pixels};
        if (QPixmap* hit = svgCache_.object(key)) return *hit;
        QImage canvas(pixels, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        {
            QPainter p(&canvas);
            p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
            image.renderer->render(&p, QRectF(QPointF(0, 0), QSizeF(pixels)));
        }
        auto* pixmap = new QPixmap(QPixmap::fromImage(canvas));
        const qint64 cost = static_cast<qint64>(pixels.width()) * pixels.height() * 4 / 1024 + 1;
        QPixmap copy = *pixmap;
        svgCache_.insert(key, pixmap, cost);
        return copy;
    }

    // A nine-slice image at one size, sliced once: a key repaints its frame
    // many times a second, and one copy costs less than nine scaled draws.
    QPixmap NineSliced(const QString& path, const QPixmap& pix, const QRectF& srcPx, const QMarginsF& srcCorner,
                       const QMarginsF& destCorner, const QSize& pixels, double dpr, bool hole) {
        const NineKey key{path, srcPx, srcCorner, destCorner, pixels, dpr, hole};
        if (QPixmap* hit = sliced_.object(key)) return *hit;
        QImage canvas(pixels, QImage::Format_ARGB32_Premultiplied);
        canvas.setDevicePixelRatio(dpr);
        canvas.fill(Qt::transparent);
        {
            QPainter p(&canvas);
            p.setRenderHint(QPainter::SmoothPixmapTransform, true);
            DrawNineSlice(p, QRectF(QPointF(0, 0), QSizeF(pixels) / dpr), pix, srcPx, srcCorner, destCorner, hole);
        }
        auto* sliced = new QPixmap(QPixmap::fromImage(canvas));
        const qint64 cost = static_cast<qint64>(pixels.width()) * pixels.height() * 4 / 1024 + 1;
        QPixmap copy = *sliced;
        sliced_.insert(key, sliced, cost);
        return copy;
    }

    void Clear() {
        images_.clear();
        svgCache_.clear();
        sliced_.clear();
    }

private:
    static std::optional<LoadedImage> Read(const QString& path) {
        if (!QFileInfo::exists(path)) {
            debugOutput(("skin: image not found: " + path).toStdString());
            return std::nullopt;
        }
        LoadedImage image;
        if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
            image.renderer = std::make_shared<QSvgRenderer>(path);
            if (!image.renderer->isValid()) {
                debugOutput(("skin: unreadable SVG: " + path).toStdString());
                return std::nullopt;
            }
            image.svg = true;
            image.size = image.renderer->viewBoxF().size();
            if (image.size.isEmpty()) image.size = image.renderer->defaultSize();
        } else {
            QImageReader reader(path);
            const QImage raster = reader.read();
            if (raster.isNull()) {
                debugOutput(("skin: unreadable image: " + path + ": " + reader.errorString()).toStdString());
                return std::nullopt;
            }
            image.pixmap = QPixmap::fromImage(raster);
            image.size = raster.size();
        }
        if (image.size.isEmpty()) return std::nullopt;
        return image;
    }

    QHash<QString, std::optional<LoadedImage>> images_;
    QCache<SvgKey, QPixmap> svgCache_{64 * 1024};  // KiB
    QCache<NineKey, QPixmap> sliced_{16 * 1024};    // KiB
};

ImageStore& Store() {
    static ImageStore store;
    return store;
}

QSize BoundedPixels(double w, double h) {
    return QSize(qBound(1, qRound(w), kMaxPixmapSide), qBound(1, qRound(h), kMaxPixmapSide));
}

void DrawNineSlice(QPainter& p, const QRectF& dest, const QPixmap& pix, const QRectF& src,
                   const QMarginsF& srcCorner, QMarginsF destCorner, bool hole) {
    // Corners larger than the destination shrink together so the image still fits.
    const double fx = destCorner.left() + destCorner.right();
    if (fx > dest.width() && fx > 0) {
        const double k = dest.width() / fx;
        destCorner.setLeft(destCorner.left() * k);
        destCorner.setRight(destCorner.right() * k);
    }
    const double fy = destCorner.top() + destCorner.bottom();
    if (fy > dest.height() && fy > 0) {
        const double k = dest.height() / fy;
        destCorner.setTop(destCorner.top() * k);
        destCorner.setBottom(destCorner.bottom() * k);
    }
    const double sx[4] = {src.left(), src.left() + srcCorner.left(), src.right() - srcCorner.right(), src.right()};
    const double sy[4] = {src.top(), src.top() + srcCorner.top(), src.bottom() - srcCorner.bottom(), src.bottom()};
    const double dx[4] = {dest.left(), dest.left() + destCorner.left(), dest.right() - destCorner.right(), dest.right()};
    const double dy[4] = {dest.top(), dest.top() + destCorner.top(), dest.bottom() - destCorner.bottom(), dest.bottom()};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            if (hole && r == 1 && c == 1) continue;
            const QRectF s(sx[c], sy[r], sx[c + 1] - sx[c], sy[r + 1] - sy[r]);
            const QRectF d(dx[c], dy[r], dx[c + 1] - dx[c], dy[r + 1] - dy[r]);
            if (s.width() <= 0 || s.height() <= 0 || d.width() <= 0 || d.height() <= 0) continue;
            p.drawPixmap(d, pix, s);
        }
    }
}

// A source that covers exactly the destination's device pixels is copied
// without smoothing: with the smoothing hint on, or with a fractional
// source, Qt takes its transforming path, which costs several times more and
// splits the work across its worker threads.
void DrawPixmapPart(QPainter& p, const QRectF& dest, const QPixmap& pix, const QRectF& srcPx, double dpr) {
    const QRect whole = srcPx.toRect();
    const QRect target = dest.toRect();
    const bool exact = dpr == 1.0 && QRectF(whole) == srcPx && QRectF(target) == dest && whole.size() == target.size();
    if (!exact) {
        p.drawPixmap(dest, pix, srcPx);
        return;
    }
    const bool smooth = p.testRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawPixmap(target.topLeft(), pix, whole);
    p.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

void DrawTiled(QPainter& p, const QRectF& dest, const QPixmap& pix, const QRectF& src,
               const QSizeF& tileLogical, bool tileX, bool tileY) {
    const double dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    const QSizeF logical(tileX ? tileLogical.width() : dest.width(),
                         tileY ? tileLogical.height() : dest.height());
    if (logical.isEmpty()) return;
    QPixmap tile = pix.copy(src.toAlignedRect())
                       .scaled(BoundedPixels(logical.width() * dpr, logical.height() * dpr),
                               Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    tile.setDevicePixelRatio(dpr);
    p.drawTiledPixmap(dest, tile);
}

// Elides the last line that fits when wrapped text is too tall for rc.
QString ElideWrapped(const QString& text, const QFont& font, const QRect& rc) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    const QFontMetrics fm(font);
    double y = 0;
    int lastStart = 0;
    bool overflow = false;
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(rc.width());
        if (y + line.height() > rc.height() && y > 0) {
            overflow = true;
            break;
        }
        lastStart = line.textStart();
        y += line.height();
    }
    layout.endLayout();
    if (!overflow) return text;
    const QString tail = text.mid(lastStart).simplified();
    return text.left(lastStart) + fm.elidedText(tail, Qt::ElideRight, rc.width());
}

}  // namespace

// ---------------------------------------------------------------- parsing

const QString& TDrawInfo::ResolvedPath() const {
    const QString folder = CPaintManagerUI::GetResourcePath();
    // A description parsed again (or renamed) must not keep drawing the old
    // file: the name is part of what was resolved.
    if (resolved_.isEmpty() || folder != resolvedFor_ || sImageName != resolvedName_) {
        resolved_ = CPaintManagerUI::ResolveResourceFile(sImageName);
        resolvedFor_ = folder;
        resolvedName_ = sImageName;
    }
    return resolved_;
}

bool TDrawInfo::Parse(const QString& image, const QString& modify) {
    bool ok = true;
    for (const QString& text : {image, modify}) {
        const QString t = text.trimmed();
        if (t.isEmpty()) continue;
        if (!t.contains(QLatin1String("='")) && !t.contains(QLatin1String("=\""))) {
            sImageName = NormalizePath(t);
            continue;
        }
        bool readAll = true;
        AttributeList pairs = ParseAttributeList(t, QLatin1Char('\''), &readAll);
        if (!readAll) {
            // Descriptions written with double quotes are read the same way.
            bool readDouble = true;
            const AttributeList alt = ParseAttributeList(t, QLatin1Char('"'), &readDouble);
            if (readDouble) pairs = alt;
            else ok = false;
        }
        for (const auto& [rawKey, value] : pairs) {
            const QString key = rawKey.toLower();
            if (key == QLatin1String("file") || key == QLatin1String("res")) {
                sImageName = NormalizePath(value.trimmed());
            } else if (key == QLatin1String("restype")) {
                sResType = value;
            } else if (key == QLatin1String("dest")) {
                if (auto r = ParseRect(value)) rcDest = *r;
                else ok = false;
            } else if (key == QLatin1String("source")) {
                if (auto r = ParseRect(value)) rcSource = *r;
                else ok = false;
            } else if (key == QLatin1String("corner")) {
                if (auto m = ParseMargins(value)) rcCorner = *m;
                else ok = false;
            } else if (key == QLatin1String("fade")) {
                if (auto v = ParseInt(value)) uFade = qBound(0, *v, 255);
                else ok = false;
            } else if (key == QLatin1String("hole")) {
                bHole = ParseBool(value);
            } else if (key == QLatin1String("xtiled")) {
                bTiledX = ParseBool(value);
            } else if (key == QLatin1String("ytiled")) {
                bTiledY = ParseBool(value);
            }
            // mask, hsl and others: colour keying and tinting are not needed
            // with alpha images; the keys are accepted and ignored.
        }
    }
    sDrawString = modify.isEmpty() ? image : image + QLatin1Char(' ') + modify;
    return ok;
}

// ---------------------------------------------------------------- images

bool CRenderEngine::DrawImageString(QPainter& painter, CPaintManagerUI* manager, const QRect& rcItem,
                                    const QRect& rcPaint, const QString& image, const QString& modify) {
    if (image.trimmed().isEmpty()) return false;
    // Controls repaint the same few descriptions over and over: each is read once.
    static QCache<QString, TDrawInfo> parsed(1024);
    const QString key = modify.isEmpty() ? image : image + QChar(0x1F) + modify;
    if (const TDrawInfo* hit = parsed.object(key)) return DrawImageInfo(painter, manager, rcItem, rcPaint, *hit);
    auto* info = new TDrawInfo;
    if (!info->Parse(image, modify)) {
        debugOutput(("skin: malformed image description: " + info->sDrawString).toStdString());
    }
    const TDrawInfo kept = *info;
    parsed.insert(key, info);
    return DrawImageInfo(painter, manager, rcItem, rcPaint, kept);
}

bool CRenderEngine::DrawImageInfo(QPainter& painter, CPaintManagerUI* manager, const QRect& rcItem,
                                  const QRect& rcPaint, const TDrawInfo& info) {
    if (info.IsEmpty()) return false;
    const QString path = info.ResolvedPath();
    const LoadedImage* image = Store().Load(path);
    if (!image) return false;
    const CDPI dpi = manager ? *manager->GetDPIObj() : CDPI();
    const double scale = dpi.GetScaleFactor();

    QRect dest = rcItem;
    if (!info.rcDest.isNull()) dest = dpi.Scale(info.rcDest).translated(rcItem.topLeft()) & rcItem;
    if (dest.isEmpty() || !dest.intersects(rcPaint)) return true;
    QRectF src = QRectF(QPointF(0, 0), image->size);
    if (!info.rcSource.isNull()) src = src & QRectF(info.rcSource);
    if (src.isEmpty()) return false;

    painter.save();
    painter.setOpacity(painter.opacity() * info.uFade / 255.0);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const double dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QRectF destF(dest);
    const QMarginsF corner(info.rcCorner);
    const QMarginsF destCorner = corner * scale;
    const bool tiled = info.bTiledX || info.bTiledY;

    if (image->svg && corner.isNull() && !tiled) {
        // Render the whole SVG so that the used part lands on device pixels 1:1.
        const double kx = destF.width() * dpr / src.width();
        const double ky = destF.height() * dpr / src.height();
        const QSize pixels = BoundedPixels(image->size.width() * kx, image->size.height() * ky);
        const QPixmap pix = Store().RenderSvg(path, *image, pixels);
        const double ax = pixels.width() / image->size.width();
        const double ay = pixels.height() / image->size.height();
        DrawPixmapPart(painter, destF, pix, QRectF(src.x() * ax, src.y() * ay, src.width() * ax, src.height() * ay),
                       dpr);
    } else {
        QPixmap pix = image->pixmap;
        double k = 1.0;  // pixmap pixels per image unit
        if (image->svg) {
            k = scale * dpr;
            pix = Store().RenderSvg(path, *image,
                                    BoundedPixels(image->size.width() * k, image->size.height() * k));
            k = pix.width() / image->size.width();
        }
        const QRectF srcPx(src.x() * k, src.y() * k, src.width() * k, src.height() * k);
        if (!corner.isNull()) {
            const QSize pixels = BoundedPixels(destF.width() * dpr, destF.height() * dpr);
            if (QSizeF(pixels) == destF.size() * dpr) {
                const QPixmap sliced =
                    Store().NineSliced(path, pix, srcPx, corner * k, destCorner, pixels, dpr, info.bHole);
                painter.drawPixmap(destF.topLeft(), sliced);
            } else {
                DrawNineSlice(painter, destF, pix, srcPx, corner * k, destCorner, info.bHole);
            }
        } else if (tiled) {
            DrawTiled(painter, destF, pix, srcPx, src.size() * scale, info.bTiledX, info.bTiledY);
        } else {
            DrawPixmapPart(painter, destF, pix, srcPx, dpr);
        }
    }
    painter.restore();
    return true;
}

QSizeF CRenderEngine::GetImageSize(const QString& file) {
    const LoadedImage* image = Store().Load(CPaintManagerUI::ResolveResourceFile(NormalizePath(file)));
    return image ? image->size : QSizeF();
}

void CRenderEngine::ClearImageCache() { Store().Clear(); }

// ---------------------------------------------------------------- shapes

void CRenderEngine::DrawColor(QPainter& painter, const QRect& rc, const QColor& color) {
    if (color.isValid() && color.alpha() > 0) painter.fillRect(rc, color);
}

void CRenderEngine::DrawGradient(QPainter& painter, const QRect& rc, const QColor& from,
                                 const QColor& to, bool vertical) {
    QLinearGradient g(rc.topLeft(), vertical ? rc.bottomLeft() : rc.topRight());
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    painter.fillRect(rc, g);
}

void CRenderEngine::DrawLine(QPainter& painter, const QLine& line, int size, const QColor& color) {
    painter.save();
    painter.setPen(QPen(color, qMax(1, size)));
    painter.drawLine(line);
    painter.restore();
}

void CRenderEngine::DrawRect(QPainter& painter, const QRect& rc, int size, const QColor& color) {
    if (size <= 0) return;
    painter.save();
    painter.setPen(QPen(color, size));
    painter.setBrush(Qt::NoBrush);
    const double half = size / 2.0;
    painter.drawRect(QRectF(rc).adjusted(half, half, -half, -half));
    painter.restore();
}

void CRenderEngine::DrawRoundRect(QPainter& painter, const QRect& rc, int size, int radiusX,
                                  int radiusY, const QColor& color) {
    if (size <= 0) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(color, size));
    painter.setBrush(Qt::NoBrush);
    const double half = size / 2.0;
    painter.drawRoundedRect(QRectF(rc).adjusted(half, half, -half, -half), radiusX, radiusY);
    painter.restore();
}

// ---------------------------------------------------------------- text

namespace {

struct TextRequest {
    const QString& text;
    const QFont& font;
    const QRect& box;
    int flags;
    bool elide;
};

// With TALVEN_REPORT_TEXT_FIT set, every text cut short to fit its box is
// named on standard error: translations are checked for fit this way, page
// by page.
void ReportCutText(const TextRequest& r, const QString& shown) {
    static const bool wanted = qEnvironmentVariableIsSet("TALVEN_REPORT_TEXT_FIT");
    if (wanted && shown != r.text)
        std::fprintf(stderr, "text-fit: \"%s\" cut to %d px\n", qPrintable(r.text), r.box.width());
}

// The text as it is drawn: elided to the box when the style asks for it.
QString ShownText(const TextRequest& r) {
    QString shown = r.text;
    if (r.elide)
        shown = (r.flags & Qt::TextWordWrap) ? ElideWrapped(r.text, r.font, r.box)
                                             : QFontMetrics(r.font).elidedText(r.text, Qt::ElideRight, r.box.width());
    ReportCutText(r, shown);
    return shown;
}

int QtFlags(uint style) {
    int flags = Qt::AlignLeft;
    if (style & DT_CENTER) flags = Qt::AlignHCenter;
    else if (style & DT_RIGHT) flags = Qt::AlignRight;
    if (style & DT_VCENTER) flags |= Qt::AlignVCenter;
    else if (style & DT_BOTTOM) flags |= Qt::AlignBottom;
    else flags |= Qt::AlignTop;
    flags |= (style & DT_WORDBREAK) && !(style & DT_SINGLELINE) ? Qt::TextWordWrap : Qt::TextSingleLine;
    return flags;
}

QFont FontFor(CPaintManagerUI* manager, int font) {
    if (manager) return manager->GetFont(font);
    QFont f;
    f.setPixelSize(12);
    return f;
}

}  // namespace

void CRenderEngine::DrawText(QPainter& painter, CPaintManagerUI* manager, const QRect& rc,
                             const QString& text, const QColor& color, int font, uint style) {
    if (text.isEmpty() || rc.isEmpty()) return;
    const QFont f = FontFor(manager, font);
    const int flags = QtFlags(style);
    const TextRequest request{text, f, rc, flags, (style & DT_END_ELLIPSIS) != 0};
    // One captured reference keeps the callback inside std::function's own
    // storage: labels are drawn on every paint, and a kept layout needs none.
    const PreparedText prepared = PrepareText(text, f, rc.size(), flags, request.elide,
                                              [&request] { return ShownText(request); });
    DrawPreparedText(painter, rc, prepared, f, color);
}

QSize CRenderEngine::GetTextSize(CPaintManagerUI* manager, const QString& text, int font, uint style,
                                 int maxWidth) {
    const QFontMetrics fm(FontFor(manager, font));
    const bool wrap = (style & DT_WORDBREAK) && !(style & DT_SINGLELINE) && maxWidth > 0;
    const QRect bound = wrap ? QRect(0, 0, maxWidth, 100000) : QRect(0, 0, 100000, 100000);
    return fm.boundingRect(bound, QtFlags(style) & ~(Qt::AlignHCenter | Qt::AlignRight | Qt::AlignVCenter | Qt::AlignBottom), text).size();
}

}  // namespace talven::ui

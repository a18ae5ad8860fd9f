#include "ui/qt/QtControl.h"

#include <QMouseEvent>
#include <QPainter>

#include "core/Colour.h"
#include "ui/qt/QtMainWindow.h"
#include "ui/qt/QtEventMapping.h"

namespace quaverly {

QColor ToQColor(unsigned colour)
{
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

QFont FontFor(const std::string &name, int pixels)
{
    QFont font;
    if (name.empty() || name == "宋体")
        font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                          QStringLiteral("DejaVu Sans")});
    else
        font.setFamilies({QString::fromUtf8(name.c_str()), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixels > 0 ? pixels : 12);
    return font;
}

TQtControl::TQtControl(TQtMainWindow &window, TControlId id, TQtControlKind kind, QWidget *parent)
    : QWidget(parent), window_(window), id_(id), kind_(kind)
{
    setObjectName(QString::fromLatin1(ControlName(id)));
    if (kind == TQtControlKind::Button)
        setAttribute(Qt::WA_Hover);
    // A paint box covers itself whole, so its repaints (every spectrum
    // frame) leave the panel beneath alone.
    if (kind == TQtControlKind::PaintBox)
        setAttribute(Qt::WA_OpaquePaintEvent);
}

void TQtControl::Mirror(const TControl &c, QColor colour)
{
    const QRect bounds(c.Left, c.Top, c.Width, c.Height);
    if (geometry() != bounds)
        setGeometry(bounds);
    if (isEnabled() != c.Enabled)
        setEnabled(c.Enabled);
    const QString hint = QString::fromUtf8(c.Hint.c_str());
    if (toolTip() != hint)
        setToolTip(hint);
    switch (c.Cursor) {
    case crHandLink: setCursor(Qt::PointingHandCursor); break;
    case crSizeNS: setCursor(Qt::SizeVerCursor); break;
    default: unsetCursor(); break;
    }
    const QString caption = QString::fromUtf8(c.Caption.c_str());
    const QFont font = FontFor(c.FontName, c.FontPixels);
    const bool changed = colour != colour_ || caption != caption_ || ToQColor(c.FontColor) != fontColour_ ||
                         c.Alignment != alignment_ || c.Transparent != transparent_ ||
                         (!c.FontName.empty() && font != this->font());
    colour_ = colour;
    caption_ = caption;
    fontColour_ = ToQColor(c.FontColor);
    alignment_ = c.Alignment;
    transparent_ = c.Transparent;
    if (!c.FontName.empty() && font != this->font())
        setFont(font);
    if (changed)
        update();
    if (isVisibleTo(parentWidget()) != c.Visible)
        setVisible(c.Visible);
}

void TQtControl::MirrorGauge(const TGauge &g)
{
    const QColor back = ToQColor(g.BackColor), fore = ToQColor(g.ForeColor);
    if (back != gaugeBack_ || fore != gaugeFore_ || g.MaxValue != gaugeMax_ || g.Progress != gaugeProgress_) {
        gaugeBack_ = back;
        gaugeFore_ = fore;
        gaugeMax_ = g.MaxValue;
        gaugeProgress_ = g.Progress;
        update();
    }
}

void TQtControl::SetImage(const QImage *image)
{
    image_ = image;
    update();
}

void TQtControl::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    switch (kind_) {
    case TQtControlKind::Panel:
        p.fillRect(rect(), colour_);
        break;
    case TQtControlKind::PaintBox:
        // The picture is drawn at its size in logical pixels (its own device
        // pixel ratio is 1), so it keeps the box's size on any screen.
        if (!image_ || image_->isNull() || image_->width() < width() || image_->height() < height())
            p.fillRect(rect(), colour_);
        if (image_ && !image_->isNull())
            p.drawImage(QPoint(0, 0), *image_);
        break;
    case TQtControlKind::Gauge: {
        // The progress from the left in the foreground colour, the rest in
        // the background colour.
        const int done = gaugeMax_ > 0 ? int(qint64(width()) * gaugeProgress_ / gaugeMax_) : 0;
        p.fillRect(QRect(0, 0, done, height()), gaugeFore_);
        p.fillRect(QRect(done, 0, width() - done, height()), gaugeBack_);
        break;
    }
    case TQtControlKind::Label: {
        if (!transparent_)
            p.fillRect(rect(), colour_);
        if (!caption_.isEmpty()) {
            p.setPen(fontColour_);
            Qt::Alignment align = Qt::AlignVCenter;
            align |= alignment_ == taRightJustify ? Qt::AlignRight : alignment_ == taCenter ? Qt::AlignHCenter
                                                                                            : Qt::AlignLeft;
            p.drawText(rect(), int(align), caption_);
        }
        break;
    }
    case TQtControlKind::Button:
        PaintButton(p);
        break;
    }
}

void TQtControl::PaintButton(QPainter &p)
{
    if (!transparent_)
        p.fillRect(rect(), colour_);
    const bool active = isEnabled() && (hovered_ || pressed_);
    if (active && width() > 2 && height() > 2) {
        // The flat button shows its frame only under the mouse: raised, or
        // sunk while pressed.
        const QColor light(255, 255, 255), dark(120, 120, 120);
        const QColor topLeft = pressed_ ? dark : light, bottomRight = pressed_ ? light : dark;
        p.setPen(topLeft);
        p.drawLine(0, 0, width() - 1, 0);
        p.drawLine(0, 0, 0, height() - 1);
        p.setPen(bottomRight);
        p.drawLine(0, height() - 1, width() - 1, height() - 1);
        p.drawLine(width() - 1, 0, width() - 1, height() - 1);
    }
    const QColor ink = isEnabled() ? QColor(34, 52, 84) : QColor(140, 150, 165);
    QRect glyph = rect().adjusted(6, 6, -7, -7);
    if (pressed_ && hovered_)
        glyph.translate(1, 1);
    DrawButtonGlyph(p, id_, glyph, ink);
}

void TQtControl::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (kind_ == TQtControlKind::Button && event->button() == Qt::LeftButton) {
        pressed_ = true;
        update();
    }
    window_.NotePress(mapTo(&window_, event->position().toPoint()), event->globalPosition().toPoint());
    const TMouseButton button = ToMouseButton(event->button());
    const TShiftState shift = ToShiftState(event->modifiers(), event->buttons());
    const QPoint at = event->position().toPoint();
    const TControlId id = id_;
    window_.Report([&] { window_.Events().MouseDown(id, button, shift, at.x(), at.y()); });
}

void TQtControl::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (window_.LoopMouseMove(mapTo(&window_, event->position().toPoint()), event->globalPosition().toPoint()))
        return;
    if (kind_ == TQtControlKind::Button && pressed_) {
        const bool inside = rect().contains(event->position().toPoint());
        if (inside != hovered_) {
            hovered_ = inside;
            update();
        }
    }
    const TShiftState shift = ToShiftState(event->modifiers(), event->buttons());
    const QPoint at = event->position().toPoint();
    const TControlId id = id_;
    window_.Report([&] { window_.Events().MouseMove(id, shift, at.x(), at.y()); });
}

void TQtControl::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (window_.LoopMouseRelease())
        return;
    const bool wasPressed = pressed_;
    pressed_ = false;
    update();
    const TMouseButton button = ToMouseButton(event->button());
    const TShiftState shift = ToShiftState(event->modifiers(), event->buttons());
    const QPoint at = event->position().toPoint();
    const TControlId id = id_;
    // A button reports the release first and then the click, when the mouse
    // is still over it.
    window_.Report([&] { window_.Events().MouseUp(id, button, shift, at.x(), at.y()); });
    if (kind_ == TQtControlKind::Button && wasPressed && event->button() == Qt::LeftButton && isEnabled() &&
        isVisible() && rect().contains(at))
        window_.Report([&] { window_.Events().Click(id); });
}

void TQtControl::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    if (kind_ == TQtControlKind::Button) {
        // A double click on a picture button is a second press.
        mousePressEvent(event);
        return;
    }
    const TControlId id = id_;
    window_.Report([&] { window_.Events().DblClick(id); });
}

void TQtControl::enterEvent(QEnterEvent *)
{
    if (kind_ == TQtControlKind::Button) {
        hovered_ = true;
        update();
    }
}

void TQtControl::leaveEvent(QEvent *)
{
    if (kind_ == TQtControlKind::Button) {
        hovered_ = false;
        update();
    }
}

}  // namespace quaverly

#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>

#include "ui/ControlId.h"

namespace quaverly {

class TQtMainWindow;

enum class TQtControlKind { Panel, Button, Gauge, Label, PaintBox };

// One control of the main window as a widget: a panel, a flat picture
// button, a one-pixel-line gauge, a label or a paint box. It paints what the
// last Mirror call gave it and reports its mouse events to the window, which
// passes them to the shell.
class TQtControl : public QWidget {
    Q_OBJECT
public:
    TQtControl(TQtMainWindow &window, TControlId id, TQtControlKind kind, QWidget *parent);

    TControlId Id() const { return id_; }
    TQtControlKind Kind() const { return kind_; }

    // Takes place, size, visibility, enabled state, hint, cursor, caption
    // and colours from the control; colour is its background as painted
    // (the parent's colour for controls that take it).
    void Mirror(const TControl &control, QColor colour);
    void MirrorGauge(const TGauge &gauge);
    // A paint box shows this picture at its top-left corner, one picture
    // pixel to one logical pixel; nullptr shows the background colour.
    void SetImage(const QImage *image);

    bool Hovered() const { return hovered_; }
    bool Pressed() const { return pressed_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void PaintButton(class QPainter &p);

    TQtMainWindow &window_;
    TControlId id_;
    TQtControlKind kind_;
    QColor colour_;
    QColor fontColour_;
    QString caption_;
    int alignment_ = 0;
    bool transparent_ = false;
    QColor gaugeBack_, gaugeFore_;
    int gaugeMax_ = 100;
    int gaugeProgress_ = 0;
    const QImage *image_ = nullptr;   // owned by whoever set it
    bool hovered_ = false;
    bool pressed_ = false;
};

// Colour of the form model as a Qt colour.
QColor ToQColor(unsigned colour);
// The font of a control: the CJK font for "宋体" and the form's default.
QFont FontFor(const std::string &name, int pixels);

// Draws the glyph of a picture button into rect.
void DrawButtonGlyph(class QPainter &p, TControlId id, const QRect &rect, QColor ink);

}  // namespace quaverly

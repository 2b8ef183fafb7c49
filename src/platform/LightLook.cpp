#include "LightLook.h"

#include <QWidget>

namespace LightLook {

namespace {

QPalette makePalette()
{
    const QColor grey(0xef, 0xef, 0xef);
    QPalette light(Qt::black, grey, Qt::white, QColor(0x9f, 0x9f, 0x9f), QColor(0xb8, 0xb8, 0xb8), Qt::black,
                   Qt::white, Qt::white, grey);
    light.setColor(QPalette::Midlight, QColor(0xca, 0xca, 0xca));
    light.setColor(QPalette::Shadow, QColor(0x76, 0x76, 0x76));
    light.setColor(QPalette::Highlight, QColor(0x30, 0x8c, 0xc6));
    light.setColor(QPalette::HighlightedText, Qt::white);
    light.setColor(QPalette::Link, Qt::blue);
    light.setColor(QPalette::LinkVisited, Qt::magenta);
    light.setColor(QPalette::AlternateBase, QColor(0xf7, 0xf7, 0xf7));
    light.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xdc));
    light.setColor(QPalette::ToolTipText, Qt::black);
    light.setColor(QPalette::PlaceholderText, QColor(0, 0, 0, 0x80));
    // Greyed-out controls.
    const QColor greyedText(0xbe, 0xbe, 0xbe);
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::Dark})
        light.setColor(QPalette::Disabled, role, greyedText);
    light.setColor(QPalette::Disabled, QPalette::Base, grey);
    light.setColor(QPalette::Disabled, QPalette::Shadow, QColor(0xb1, 0xb1, 0xb1));
    light.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x91, 0x91, 0x91));
    return light;
}

} // namespace

const QPalette& palette()
{
    static const QPalette light = makePalette();
    return light;
}

void keep(QWidget& widget)
{
    widget.setPalette(palette());
}

} // namespace LightLook

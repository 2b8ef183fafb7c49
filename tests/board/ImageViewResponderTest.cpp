#include "board/ImageViewResponder.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

// Writes down each event it is handed, as "<owner> <handler>".
class RecordingOwner : public ThumbTackOwner
{
public:
    RecordingOwner(QString name, QStringList& heard) : name_(std::move(name)), heard_(heard) {}

    void mouseDown(QMouseEvent*, ImageViewResponder*) override { heard_ << name_ + QStringLiteral(" down"); }
    void mouseDragged(QMouseEvent*, ImageViewResponder*) override { heard_ << name_ + QStringLiteral(" dragged"); }
    void mouseUp(QMouseEvent*, ImageViewResponder*) override { heard_ << name_ + QStringLiteral(" up"); }
    void rightMouseDown(QMouseEvent*, ImageViewResponder*) override { heard_ << name_ + QStringLiteral(" rightDown"); }
    void rightMouseUp(QMouseEvent*, ImageViewResponder*) override { heard_ << name_ + QStringLiteral(" rightUp"); }

private:
    QString name_;
    QStringList& heard_;
};

void send(ImageViewResponder& view, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(5, 5), view.mapToGlobal(QPointF(5, 5)), button, buttons, {});
    QApplication::sendEvent(&view, &event);
}

// A press, a drag and a release with the left button, then the same with the right one.
void pressDragRelease(ImageViewResponder& view)
{
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        send(view, QEvent::MouseButtonPress, button, button);
        send(view, QEvent::MouseMove, Qt::NoButton, button);
        send(view, QEvent::MouseButtonRelease, button, Qt::NoButton);
    }
}

} // namespace

TEST(ImageViewResponder, EachButtonsEventsGoToTheFirstOwnerThatTakesThem)
{
    struct Row {
        const char* owners; // a attachment note, s sticky note, g checklist, b large scene card
        QStringList heard;
    };
    const Row rows[] = {
        {"as", {"a down", "a dragged", "a up", "a rightDown", "a dragged", "a rightUp"}},
        {"sg", {"s down", "s dragged", "s up"}},
        {"g", {"g down", "g dragged", "g up"}},
        {"b", {"b rightDown", "b dragged", "b rightUp"}},
        {"sb", {"s down", "s dragged", "s up", "b rightDown", "b dragged", "b rightUp"}},
        {"asgb", {"a down", "a dragged", "a up", "a rightDown", "a dragged", "a rightUp"}},
        {"", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.owners);
        QStringList heard;
        RecordingOwner attachment(QStringLiteral("a"), heard);
        RecordingOwner sticky(QStringLiteral("s"), heard);
        RecordingOwner checklist(QStringLiteral("g"), heard);
        RecordingOwner bigCard(QStringLiteral("b"), heard);
        ImageViewResponder view;
        view.resize(22, 22);
        const QString owners = QString::fromLatin1(row.owners);
        if (owners.contains(QLatin1Char('a')))
            view.setMyAttachedObjectParent(&attachment);
        if (owners.contains(QLatin1Char('s')))
            view.setMyStickyNoteParent(&sticky);
        if (owners.contains(QLatin1Char('g')))
            view.setMyGreenlightParent(&checklist);
        if (owners.contains(QLatin1Char('b')))
            view.setMyBigSceneViewParent(&bigCard);
        pressDragRelease(view);
        EXPECT_EQ(heard, row.heard);
    }
}

TEST(ImageViewResponder, ThePointerIsAnArrowOverIt)
{
    ImageViewResponder view;
    view.attachTrackingArea();
    view.setCursor(Qt::IBeamCursor);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), view.mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(&view, &enter);
    EXPECT_EQ(view.cursor().shape(), Qt::ArrowCursor);
    view.setCursor(Qt::IBeamCursor);
    send(view, QEvent::MouseMove, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(view.cursor().shape(), Qt::ArrowCursor);
}

#include "BigSceneFixture.h"

#include "app/MyDocument.h"
#include "app/StoryWindow.h"
#include "model/AttachedObjectdb.h"
#include "model/Characterdb.h"
#include "model/SceneCarddb.h"
#include "model/SceneLocationdb.h"
#include "model/ScenePayoffdb.h"
#include "model/SceneSetupdb.h"
#include "model/Screenplaydb.h"
#include "scene_editor/BigSceneView.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QTableView>
#include <QTest>

MyDocument* BigSceneFixture::openCard(const std::vector<CardSpec>& cards, std::size_t shown, std::int64_t tab,
                                      const QString& assignments)
{
    QString fields = QStringLiteral("PageCount = 110");
    if (!assignments.isEmpty())
        fields += QStringLiteral(", ") + assignments;
    path_ = story(QStringLiteral("Large"), cards, fields);
    keys_ = cardKeys(path_);
    document_ = open(path_);
    if (!document_ || screenplay().sceneCards().size() <= shown)
        return nullptr;
    document_->openBigSceneCard(boardCard(shown), tab);
    settle();
    return document_;
}

void BigSceneFixture::addDroppableRecords()
{
    Screenplaydb& story = screenplay();
    for (const QString& name : {QStringLiteral("ANNA"), QStringLiteral("BEN"), QStringLiteral("CARL")}) {
        auto character = std::make_unique<Characterdb>();
        character->setScreenplayID(story.screenplayID());
        character->setCharacterName(name);
        character->setDescription(name.toLower() + QStringLiteral(" is here"));
        character->insertIntoDatabase(&story);
        story.characters().push_back(std::move(character));
    }
    for (const QString& name : {QStringLiteral("HARBOUR"), QStringLiteral("LIGHTHOUSE")}) {
        auto location = std::make_unique<SceneLocationdb>();
        location->setScreenplayID(story.screenplayID());
        location->setLocation(name);
        location->insertIntoDatabase(&story);
        story.sceneLocations().push_back(std::move(location));
    }
    for (const QString& title : {QStringLiteral("Map of the coast"), QStringLiteral("Tide table")}) {
        auto attachment = std::make_unique<AttachedObjectdb>();
        attachment->setScreenplayID(story.screenplayID());
        attachment->setTitle(title);
        attachment->insertIntoDatabase(&story);
        story.attachedObjects().push_back(std::move(attachment));
    }
    for (int i = 0; i < 2; ++i) {
        auto setup = std::make_unique<SceneSetupdb>();
        setup->setSceneSetup(QStringLiteral("set-up %1").arg(i));
        setup->insertIntoDatabase(&story);
        story.sceneSetups().push_back(std::move(setup));
        auto payoff = std::make_unique<ScenePayoffdb>();
        payoff->setScenePayoff(QStringLiteral("pay-off %1").arg(i));
        payoff->insertIntoDatabase(&story);
        story.scenePayoffs().push_back(std::move(payoff));
    }
}

Screenplaydb& BigSceneFixture::screenplay() const
{
    return *document_->currentScreenplay();
}

BigSceneView* BigSceneFixture::big() const
{
    return document_->bigSceneViewController();
}

SceneCarddb* BigSceneFixture::boardCard(std::size_t index) const
{
    return screenplay().sceneCards()[index].get();
}

QString BigSceneFixture::column(std::int64_t key, const QString& name) const
{
    return stored(path_, QStringLiteral("SELECT %1 FROM SceneCard WHERE SceneCardID = %2").arg(name).arg(key));
}

QString BigSceneFixture::column(const QString& name) const
{
    return column(big()->scene()->sceneCardID(), name);
}

void BigSceneFixture::activate() const
{
    document_->window()->activateWindow();
    QApplication::setActiveWindow(document_->window());
    settle();
}

void clickCell(QTableView& table, int row, int column)
{
    const QModelIndex index = table.model()->index(row, column);
    table.scrollTo(index);
    QTest::mouseClick(table.viewport(), Qt::LeftButton, Qt::NoModifier, table.visualRect(index).center());
}

namespace {

void clickAndType(QWidget* field, const QKeyCombination& before, const QString& text, Qt::Key leave)
{
    // A text view takes its clicks on its viewport.
    auto* area = qobject_cast<QAbstractScrollArea*>(field);
    QWidget* target = area ? area->viewport() : field;
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, QPoint(6, std::min(10, target->height() / 2)));
    QCoreApplication::processEvents();
    QTest::keyClick(field, before.key(), before.keyboardModifiers());
    QTest::keyClicks(field, text);
    if (leave != Qt::Key_unknown)
        QTest::keyClick(field, leave);
    QCoreApplication::processEvents();
}

} // namespace

void BigSceneFixture::typeInto(QWidget* field, const QString& text, Qt::Key leave)
{
    clickAndType(field, QKeyCombination(Qt::ControlModifier, Qt::Key_A), text, leave);
}

void BigSceneFixture::typeAfter(QWidget* field, const QString& text, Qt::Key leave)
{
    const bool textView = qobject_cast<QAbstractScrollArea*>(field) != nullptr;
    clickAndType(field, QKeyCombination(textView ? Qt::ControlModifier : Qt::NoModifier, Qt::Key_End), text, leave);
}

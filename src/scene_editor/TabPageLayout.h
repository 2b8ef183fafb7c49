#pragma once

#include <QLayout>
#include <QList>

// Lays out a tab page of the large scene card: the first widget added (the tab's table) at x 7,
// 13 points narrower and 40 lower than the page, its foot `tableFoot` points above the page's
// foot; the second (the tab's buttons) in the strip below it.
class TabPageLayout : public QLayout
{
public:
    TabPageLayout(QWidget* page, int tableFoot);
    ~TabPageLayout() override;

    // The table's frame in a page of `page` size.
    static QRect tableFrame(const QSize& page, int tableFoot);

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    int tableFoot_;
    QList<QLayoutItem*> items_;
};

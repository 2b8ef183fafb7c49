#pragma once

#include <QDialog>

#include <array>
#include <memory>

class AdviceWindow;
class QCheckBox;
class QPushButton;

// The dialog that offers the optional cards placed with the fifteen beat cards of a story
// whose board is still empty. It only collects the five choices; the document runs it and
// places the cards once it ends, however it ends.
class InitialBeatCards : public QDialog
{
    Q_OBJECT

public:
    explicit InitialBeatCards(QWidget* parent = nullptr);
    ~InitialBeatCards() override;

    QCheckBox* chkSetup() const { return chkSetup_; }
    QCheckBox* chkDebate() const { return chkDebate_; }
    QCheckBox* chkFunAndGames() const { return chkFunAndGames_; }
    QCheckBox* chkBadGuys() const { return chkBadGuys_; }
    QCheckBox* chkFivePointFinale() const { return chkFivePointFinale_; }
    QPushButton* cmdProceed() const { return cmdProceed_; }
    // The dialog's own help window, made on first use.
    AdviceWindow* adviceWindow() const { return adviceWindow_.get(); }

    // The five choices in the order set-up, debate, fun and games, bad guys, five-step
    // finale.
    std::array<bool, 5> optionalCards() const;

    // The proceed button: ends the modal run.
    void proceed();
    // A help button: shows the topic it carries in the dialog's own advice window; the
    // dialog stays open.
    void showHelp(QObject* sender);

private:
    QCheckBox* chkSetup_;
    QCheckBox* chkDebate_;
    QCheckBox* chkFunAndGames_;
    QCheckBox* chkBadGuys_;
    QCheckBox* chkFivePointFinale_;
    QPushButton* cmdProceed_;
    std::unique_ptr<AdviceWindow> adviceWindow_;
};

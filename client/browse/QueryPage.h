#pragma once
// The "查詢" page: the four query tabs (suiPageControl3: announcements, repurchase reports, disclosures
// of interests, research reports), each with its filter panel, paging buttons, page label and grid, over
// the status bar suiStatusBar2; and the paging of their results fifty records at a time.
//
// Window thread only. A query operation probes the connection, starts one paging worker and waits behind
// the modal wait window FrmSearchPrompt (owned by the page) until that worker completes or the user
// cancels; a worker's outcome reaches the page as a queued call tagged with its operation's token, so a
// late worker of a cancelled operation never ends a later wait and its rows are never shown. Destroying
// the page waits for the workers still running.

#include "client/browse/QueryStatements.h"
#include "platform/db/dataset.h"

#include <QWidget>

#include <array>
#include <memory>

class QAction;
class QComboBox;
class QDateEdit;
class QEventLoop;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace vintrel::grid {
class DataGrid;
}
namespace vintrel::ui {
class StatusBar;
}

namespace vintrel {

class TFrmSearchPrompt;
class TPagingThread;
struct PagingOutcome;

class QueryPage : public QWidget
{
    Q_OBJECT
public:
    explicit QueryPage(QWidget *parent = nullptr);
    ~QueryPage() override;

    // One kind's paging state. total and pageCount are those of the kind's last completed fetch;
    // currentPage is the page shown, or the one an unfinished operation asked for.
    struct Paging
    {
        int total = 0;
        int currentPage = 1;
        int pageCount = 0;
        bool cancelled = false;
        browse::Statements statements;
    };
    const Paging &paging(browse::Kind kind) const { return m_paging[index(kind)]; }

    // The kind's statements from its filter controls as they stand now.
    browse::Statements BuildStatements(browse::Kind kind) const;

    // The OnClick handlers of the "查詢", "下一页" and "上一页" buttons, kind by kind.
    void suiButton7Click();
    void suiButton10Click();
    void suiButton15Click();
    void suiButton8Click();
    void suiButton17Click();
    void suiButton16Click();
    void suiButton13Click();
    void suiButton19Click();
    void suiButton18Click();
    void suiButton14Click();
    void suiButton21Click();
    void suiButton20Click();
    // OnChange of suiPageControl3: the status texts of the kind whose tab is now active.
    void suiPageControl3Change(int tabIndex);

    QTabWidget *suiPageControl3 = nullptr;
    ui::StatusBar *suiStatusBar2 = nullptr;
    TFrmSearchPrompt *FrmSearchPrompt = nullptr;

    // Announcements.
    QLineEdit *suiEdit1 = nullptr;
    QLineEdit *suiEdit2 = nullptr;
    QLineEdit *suiEdit3 = nullptr;
    QComboBox *suiComboBox3 = nullptr;
    QRadioButton *suiRadioButton1 = nullptr;
    QRadioButton *suiRadioButton2 = nullptr;
    QDateEdit *DateTimePicker1 = nullptr;
    QDateEdit *DateTimePicker2 = nullptr;
    QPushButton *suiButton7 = nullptr;
    QPushButton *suiButton15 = nullptr;
    QPushButton *suiButton10 = nullptr;
    QLabel *Label36 = nullptr;
    grid::DataGrid *DBGridEh2 = nullptr;
    QAction *N1 = nullptr;
    QAction *N2 = nullptr;

    // Share repurchase reports.
    QLineEdit *suiEdit4 = nullptr;
    QLineEdit *suiEdit5 = nullptr;
    QRadioButton *suiRadioButton3 = nullptr;
    QRadioButton *suiRadioButton4 = nullptr;
    QDateEdit *DateTimePicker3 = nullptr;
    QDateEdit *DateTimePicker4 = nullptr;
    QPushButton *suiButton8 = nullptr;
    QPushButton *suiButton16 = nullptr;
    QPushButton *suiButton17 = nullptr;
    QLabel *Label37 = nullptr;
    grid::DataGrid *DBGridEh3 = nullptr;

    // Disclosures of interests.
    QLineEdit *suiEdit10 = nullptr;
    QLineEdit *suiEdit11 = nullptr;
    QLineEdit *suiEdit7 = nullptr;
    QLineEdit *suiEdit14 = nullptr;
    QRadioButton *suiRadioButton11 = nullptr;
    QRadioButton *suiRadioButton12 = nullptr;
    QDateEdit *DateTimePicker9 = nullptr;
    QDateEdit *DateTimePicker10 = nullptr;
    QRadioButton *suiRadioButton5 = nullptr;
    QRadioButton *suiRadioButton6 = nullptr;
    QRadioButton *suiRadioButton9 = nullptr;
    QPushButton *suiButton13 = nullptr;
    QPushButton *suiButton18 = nullptr;
    QPushButton *suiButton19 = nullptr;
    QLabel *Label38 = nullptr;
    grid::DataGrid *DBGridEh6 = nullptr;
    QAction *N6 = nullptr;
    QAction *N7 = nullptr;

    // Research reports.
    QLineEdit *suiEdit12 = nullptr;
    QLineEdit *suiEdit13 = nullptr;
    QLineEdit *suiEdit6 = nullptr;
    QRadioButton *suiRadioButton13 = nullptr;
    QRadioButton *suiRadioButton14 = nullptr;
    QDateEdit *DateTimePicker11 = nullptr;
    QDateEdit *DateTimePicker12 = nullptr;
    QRadioButton *suiRadioButton10 = nullptr;
    QRadioButton *suiRadioButton15 = nullptr;
    QRadioButton *suiRadioButton16 = nullptr;
    QPushButton *suiButton14 = nullptr;
    QPushButton *suiButton20 = nullptr;
    QPushButton *suiButton21 = nullptr;
    QLabel *Label39 = nullptr;
    grid::DataGrid *DBGridEh9 = nullptr;
    QAction *N10 = nullptr;

    // The kinds' queries, which hold the page shown; AQTemp runs the count statements (workers only).
    db::Dataset AQAnn;
    db::Dataset AQRePur;
    db::Dataset AQDis;
    db::Dataset AQRP;
    db::Dataset AQTemp;

private:
    friend class TPagingThread;
    enum class Move { NewQuery, Next, Previous };

    // What belongs to one kind on screen.
    struct KindControls
    {
        QPushButton *query = nullptr;
        QPushButton *previous = nullptr;
        QPushButton *next = nullptr;
        QLabel *pageLabel = nullptr;
        grid::DataGrid *grid = nullptr;
        db::Dataset *dataset = nullptr;
        QList<QAction *> menuItems;
        QString totalPrefix;
        QString zeroText;
    };

    // The one wait in progress: its operation's token and how it ended.
    struct Wait
    {
        enum class State { Idle, Pending, Completed, Failed };
        quint64 token = 0;
        State state = State::Idle;
    };

    static int index(browse::Kind kind) { return int(kind); }
    void buildAnnTab(QWidget *tab);
    void buildRepTab(QWidget *tab);
    void buildDisTab(QWidget *tab);
    void buildRptTab(QWidget *tab);
    void wireKind(browse::Kind kind, KindControls controls);

    void runOperation(browse::Kind kind, Move move);
    void startWorker(browse::Kind kind, Move move, quint64 token, const browse::Statements &statements,
                     int page);
    // Shows the wait window until the wait of `token` ends; answers how it ended.
    Wait::State waitFor(quint64 token);
    void workerFinished(PagingOutcome outcome);
    void promptClosed();
    void showStatusTexts(browse::Kind kind);

    std::array<Paging, 4> m_paging;
    std::array<KindControls, 4> m_controls;
    Wait m_wait;
    quint64 m_lastToken = 0;
    QEventLoop *m_waitLoop = nullptr;
    // The outcome that ended the wait by completion.
    std::unique_ptr<PagingOutcome> m_outcome;
};

} // namespace vintrel

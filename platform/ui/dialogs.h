#pragma once
// Every message box and file or folder chooser of the programs goes through here.
// In test mode nothing is shown: each box is recorded (title, text, icon, buttons) and answered from a
// queue that the test fills (an empty queue answers with the box's first button); choosers answer from
// their own queues (an empty queue answers "cancelled"). Window thread only.

#include <QList>
#include <QString>

class QWidget;

namespace vintrel::ui {

enum class Icon { None, Information, Warning, Error, Question };
enum class Buttons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };

struct ShownMessage
{
    QString title;
    QString text;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
};

class Dialogs
{
public:
    static Answer message(QWidget *parent, const QString &title, const QString &text, Icon icon,
                          Buttons buttons = Buttons::Ok);
    // A folder's full path, or an empty string when the user cancelled.
    static QString chooseFolder(QWidget *parent, const QString &title);
    // A file's full path, or an empty string when the user cancelled. `filter` is "*.qlb|*.qlb" style.
    static QString chooseFile(QWidget *parent, const QString &filter, const QString &startFolder);

    static void setTestMode(bool on);
    static bool testMode();
    static void queueAnswer(Answer answer);
    static void queueFolder(const QString &path);
    static void queueFile(const QString &path);
    // The boxes shown since the last call, oldest first.
    static QList<ShownMessage> takeShown();
    // Forgets queued answers and recorded boxes.
    static void reset();
};

} // namespace vintrel::ui

#include "platform/ui/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QQueue>

namespace vintrel::ui {

namespace {
struct TestState
{
    bool on = false;
    QQueue<Answer> answers;
    QQueue<QString> folders;
    QQueue<QString> files;
    QList<ShownMessage> shown;
};

TestState &state()
{
    static TestState s;
    return s;
}

Answer firstButton(Buttons buttons)
{
    return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}
} // namespace

Answer Dialogs::message(QWidget *parent, const QString &title, const QString &text, Icon icon, Buttons buttons)
{
    TestState &s = state();
    if (s.on) {
        s.shown.append({title, text, icon, buttons});
        return s.answers.isEmpty() ? firstButton(buttons) : s.answers.dequeue();
    }
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Error: box.setIcon(QMessageBox::Critical); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
}

QString Dialogs::chooseFolder(QWidget *parent, const QString &title)
{
    TestState &s = state();
    if (s.on)
        return s.folders.isEmpty() ? QString() : s.folders.dequeue();
    return QFileDialog::getExistingDirectory(parent, title, QString(), QFileDialog::ShowDirsOnly);
}

QString Dialogs::chooseFile(QWidget *parent, const QString &filter, const QString &startFolder)
{
    TestState &s = state();
    if (s.on)
        return s.files.isEmpty() ? QString() : s.files.dequeue();
    // "*.txt|*.txt" (description|pattern) becomes Qt's "description (pattern)".
    const QStringList parts = filter.split(u'|');
    const QString qtFilter = parts.size() >= 2 ? parts.at(0) + u" (" + parts.at(1) + u")" : filter;
    return QFileDialog::getOpenFileName(parent, QString(), startFolder, qtFilter);
}

void Dialogs::setTestMode(bool on) { state().on = on; }
bool Dialogs::testMode() { return state().on; }
void Dialogs::queueAnswer(Answer answer) { state().answers.enqueue(answer); }
void Dialogs::queueFolder(const QString &path) { state().folders.enqueue(path); }
void Dialogs::queueFile(const QString &path) { state().files.enqueue(path); }

QList<ShownMessage> Dialogs::takeShown()
{
    return std::exchange(state().shown, {});
}

void Dialogs::reset()
{
    TestState &s = state();
    s.answers.clear();
    s.folders.clear();
    s.files.clear();
    s.shown.clear();
}

} // namespace vintrel::ui

// SPDX-License-Identifier: MIT

#include "pkmarkchoice.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QWidget>

namespace {

const QString keywordKey = QStringLiteral("marks/keyword");
const QString labelKey = QStringLiteral("marks/label");
// The colour labels catalogues and editors write by these names.
const QStringList labels{QString(), QStringLiteral("Red"), QStringLiteral("Yellow"), QStringLiteral("Green"),
                         QStringLiteral("Blue"), QStringLiteral("Purple")};
constexpr int listedProblems = 20;

} // namespace

PkMarkChoice::PkMarkChoice(QWidget *toCopyTile, std::function<QString()> folder, std::function<QList<QString>()> files)
    : QObject(toCopyTile)
    , tile(toCopyTile)
    , folder(std::move(folder))
    , files(std::move(files))
    , markAction(new QAction(QStringLiteral("Mark picks in the sidecars\u2026"), toCopyTile))
    , unmarkAction(new QAction(QStringLiteral("Remove the mark\u2026"), toCopyTile))
{
    pool.setMaxThreadCount(1);
    connect(markAction, &QAction::triggered, this, [this] { ask(false); });
    connect(unmarkAction, &QAction::triggered, this, [this] { ask(true); });
    tile->addAction(markAction);
    tile->addAction(unmarkAction);
    setEnabled(false);
}

PkMarkChoice::~PkMarkChoice()
{
    pool.waitForDone();
}

void PkMarkChoice::setEnabled(bool enabled)
{
    offered = enabled;
    markAction->setEnabled(offered && !busy);
    unmarkAction->setEnabled(offered && !busy);
}

void PkMarkChoice::ask(bool remove)
{
    PkXmpPacket::Edit edit;
    edit.remove = remove;
    if (askHook ? askHook(&edit) : askUser(&edit))
        mark(edit);
}

// The keyword and label last used are offered again: a photographer marks
// every job's picks alike.
bool PkMarkChoice::askUser(PkXmpPacket::Edit *edit)
{
    QDialog dialog(tile->window());
    dialog.setWindowTitle(edit->remove ? QStringLiteral("Remove the mark") : QStringLiteral("Mark picks in the sidecars"));
    auto *layout = new QFormLayout(&dialog);
    auto *keyword = new QLineEdit(QSettings().value(keywordKey).toString(), &dialog);
    keyword->setPlaceholderText(QStringLiteral("Client|Picks"));
    auto *label = new QComboBox(&dialog);
    label->setEditable(true);
    label->addItems(labels);
    label->setCurrentText(QSettings().value(labelKey).toString());
    auto *problem = new QLabel(&dialog);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
    QPushButton *ok = buttons->addButton(edit->remove ? QStringLiteral("Remove") : QStringLiteral("Mark"),
                                         QDialogButtonBox::AcceptRole);
    layout->addRow(QStringLiteral("Keyword (levels joined by |):"), keyword);
    layout->addRow(QStringLiteral("Colour label:"), label);
    layout->addRow(problem);
    layout->addRow(buttons);
    const auto check = [keyword, label, problem, ok] {
        QString why = PkXmpPacket::keywordProblem(keyword->text());
        why = why.isEmpty() ? PkXmpPacket::labelProblem(label->currentText()) : why;
        problem->setText(keyword->text().isEmpty() ? QString() : why);
        ok->setEnabled(why.isEmpty());
    };
    connect(keyword, &QLineEdit::textChanged, &dialog, check);
    connect(label, &QComboBox::currentTextChanged, &dialog, check);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    check();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    edit->keyword = keyword->text();
    edit->label = label->currentText();
    QSettings().setValue(keywordKey, edit->keyword);
    QSettings().setValue(labelKey, edit->label);
    return true;
}

void PkMarkChoice::mark(const PkXmpPacket::Edit &edit)
{
    busy = true;
    setEnabled(offered);
    pool.start([this, edit, at = folder(), picks = files()] {
        const PkMarkJob::Report report = PkMarkJob::run(PkSidecarWriter(at), picks, edit, false);
        QMetaObject::invokeMethod(this, [this, report, remove = edit.remove] {
            busy = false;
            setEnabled(offered);
            if (report.changed + report.created > 0)
                emit marked();
            tell(resultText(report, remove), report);
        }, Qt::QueuedConnection);
    });
}

QString PkMarkChoice::resultText(const PkMarkJob::Report &report, bool remove)
{
    if (!report.refusal.isEmpty())
        return QStringLiteral("Nothing was marked: %1.").arg(report.refusal);
    const int sidecars = report.changed + report.created;
    QString text = (remove ? QStringLiteral("The mark was taken off in %1 %2") : QStringLiteral("Marked in %1 %2"))
                       .arg(sidecars)
                       .arg(sidecars == 1 ? QStringLiteral("sidecar") : QStringLiteral("sidecars"));
    if (report.created > 0)
        text += QStringLiteral(" (%1 new)").arg(report.created);
    if (report.unchanged > 0)
        text += (remove ? QStringLiteral("; %1 had no mark") : QStringLiteral("; %1 had it already")).arg(report.unchanged);
    if (!report.problems.isEmpty())
        text += QStringLiteral("; %1 left as %2").arg(report.problems.size()).arg(report.problems.size() == 1 ? "it is" : "they are");
    return text + QLatin1Char('.');
}

void PkMarkChoice::tell(const QString &text, const PkMarkJob::Report &report)
{
    if (tellHook) {
        tellHook(text);
        return;
    }
    // Not modal, as the exports' messages: the window goes on answering.
    auto *box = new QMessageBox(report.problems.isEmpty() && report.refusal.isEmpty() ? QMessageBox::Information
                                                                                      : QMessageBox::Warning,
                                markAction->text().chopped(1), text, QMessageBox::Ok, tile->window());
    box->setAttribute(Qt::WA_DeleteOnClose);
    QList<QString> details = report.problems.mid(0, listedProblems);
    if (report.problems.size() > listedProblems)
        details.append(QStringLiteral("and %1 more").arg(report.problems.size() - listedProblems));
    details += report.shared;
    if (!details.isEmpty())
        box->setDetailedText(details.join(QLatin1Char('\n')));
    box->open();
}

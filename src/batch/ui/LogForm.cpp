#include "batch/ui/LogForm.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "batch/BatchProcess.h"
#include "common/StrRes.h"
#include "platform/Format.h"

namespace {

// The texts keep CR LF line ends; the widgets want LF.
QString Lines(const std::string& text) { return QString::fromStdString(text).replace("\r\n", "\n"); }

} // namespace

QString BatchErrorsSummary(int errorCount, int fileCount)
{
    return Lines(Format(SBatchErrorsSummary, errorCount, fileCount - errorCount, fileCount));
}

TLogForm::TLogForm(QWidget* owner, const TBatchProcess& job) : QDialog(owner)
{
    setWindowTitle(SProductName);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    CaptionLabel = new QLabel(BatchErrorsSummary(job.ErrorCount(), job.FileCount()));
    LogMemo = new QPlainTextEdit;
    LogMemo->setReadOnly(true);
    LogMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    LogMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    LogMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    LogMemo->setPlainText(Lines(job.ErrorLogText()));
    const QFontMetrics metrics(LogMemo->font());
    LogMemo->setMinimumSize(metrics.averageCharWidth() * 80, metrics.lineSpacing() * 12);

    auto* buttons = new QDialogButtonBox;
    OKBtn = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    OKBtn->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* top = new QVBoxLayout(this);
    top->addWidget(CaptionLabel);
    top->addWidget(LogMemo, 1);
    top->addWidget(buttons);
}

void TLogForm::ShowLog(QWidget* owner, const TBatchProcess& job)
{
    auto* form = new TLogForm(owner, job);
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->exec();
}

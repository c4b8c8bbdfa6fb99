#pragma once
// The log window of a batch job that ended with errors: how many files failed and how many were
// processed, and one entry per failed file (its log line and the error message).
#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class TBatchProcess;

class TLogForm : public QDialog
{
    Q_OBJECT
public:
    // Filled from the ended job; not shown.
    TLogForm(QWidget* owner, const TBatchProcess& job);

    // Shows the log of an ended job modally.
    static void ShowLog(QWidget* owner, const TBatchProcess& job);

    QLabel* CaptionLabel;
    QPlainTextEdit* LogMemo;
    QPushButton* OKBtn;
};

// The log window's summary line for a job's counts.
QString BatchErrorsSummary(int errorCount, int fileCount);

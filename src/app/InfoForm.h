#pragma once
// "Image Information": the source picture and the compressed result of an image window side by side.
#include <QDialog>
#include <string>

class QLabel;
class TImageForm;

// What the dialog shows, gathered from an image window.
struct TImageInfoFacts
{
    int Width = 0, Height = 0;
    std::string FileName;
    int64_t SourceFileSize = 0;
    std::string SourceType;
    int SourceBits = 0;
    std::string SourceMode;
    double SourceRatio = 0;
    bool HasResult = false;
    int64_t ResultSize = 0;
    bool ResultGray = false;
    std::string ResultMode;
    double ResultRatio = 0;
    bool Saved = false;
};
TImageInfoFacts ImageInfoFactsOf(const TImageForm& window);

class TInfoForm : public QDialog
{
    Q_OBJECT
  public:
    explicit TInfoForm(QWidget* owner);
    void Fill(const TImageInfoFacts& facts);
    // Value labels by row name ("Width", "FileName", "SrcFileSize", "SrcType", "SrcBits", "SrcMode",
    // "SrcRatio", "ResFileSize", "ResType", "ResBits", "ResMode", "ResRatio", "Saved").
    QLabel* Value(const char* name) const;
};

#pragma once

#include "Frame3D.h"

#include <QList>

class ClickableImage;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

// The main window's archive panel, Frame3D3: what is to be archived, where to, with which
// password and which line ends, and the progress of a run. It lies over the lower part of the
// window from the moment a project or a group is chosen until the finished state ends. Its
// controls carry the names the language files know.
class ArchivePanel : public Frame3D {
    Q_OBJECT

public:
    // The index of each box in the control array Text1, and of its caption in Label1 (the language
    // files call them Text10 to Text13 and Label10 to Label13).
    enum Box {
        ProjectPath = 0, // the project or group file chosen
        ArchiveName = 1, // the archive's file name, or a group's backup subfolder
        Destination = 2, // the folder that receives the archives
        Password = 3,    // optional; the only box the user types into
    };

    explicit ArchivePanel(QWidget *parent = nullptr);

    QLineEdit *Text1(int index) const { return text1_.at(index); }
    QLabel *Label1(int index) const { return label1_.at(index); }
    QPushButton *SavepathDialog() const { return savePathDialog_; }
    ClickableImage *AlphaImgCtl2() const { return alphaImgCtl2_; }
    QCheckBox *Check1() const { return check1_; }       // text members with Windows line ends; remembered
    QListWidget *List1() const { return list1_; }       // a group's projects; never shown
    QLabel *Label2() const { return label2_; }          // the status line: the project being archived
    QWidget *VistaProg1() const { return vistaProg1_; } // the lines of the project being archived
    QWidget *VistaProg2() const { return vistaProg2_; } // the projects of a group
    QTimer *Timer1() const { return timer1_; }          // ends the finished state

    // Shows the panel with the file chosen, a project's or a group's: the caption of the name box
    // says which. The names come next, once known; a group's projects go to the hidden list.
    void ShowChoice(const QString &path, bool isGroup);
    void ShowNames(const QString &archiveName, const QString &destination);
    void SetProjects(const QStringList &projects);
    QStringList Projects() const;
    // Empties the four boxes.
    void ClearBoxes();
    // Hides the panel and what a run showed in it.
    void HideRun();

private:
    void BuildControls();
    QWidget *CreateProgressBar(const QString &name);
    void ConnectHandlers();
    void SavepathDialog_Click();
    void Text1_Change();
    void Check1_Click(bool checked);

    QList<QLineEdit *> text1_;
    QList<QLabel *> label1_;
    QPushButton *savePathDialog_ = nullptr;
    ClickableImage *alphaImgCtl2_ = nullptr;
    QCheckBox *check1_ = nullptr;
    QListWidget *list1_ = nullptr;
    QLabel *label2_ = nullptr;
    QWidget *vistaProg1_ = nullptr;
    QWidget *vistaProg2_ = nullptr;
    QTimer *timer1_ = nullptr;
};

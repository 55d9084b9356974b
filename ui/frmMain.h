#pragma once

#include "ArchivingState.h"

#include <QList>
#include <QWidget>

class ClickableImage;
class Frame3D;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

// The main window: choose a project or a group, see where its archive goes, archive it.
// Controls carry the names (and, in control arrays, the "index" property) the language files use.
class frmMain : public QWidget {
    Q_OBJECT

public:
    explicit frmMain(QWidget *parent = nullptr);

    // Controls by name and index, for the handlers and for tests driving the window.
    QLineEdit *Text1(int index) const { return text1_.at(index); }
    QLabel *Label1(int index) const { return label1_.at(index); }
    ClickableImage *Image1(int index) const { return image1_.at(index); }
    Frame3D *Frame3D1() const { return frame3D1_; }
    Frame3D *Frame3D2() const { return frame3D2_; }
    Frame3D *Frame3D3() const { return frame3D3_; }
    QPushButton *Tessbutton1() const { return tessbutton1_; }
    QPushButton *DBpathDialog(int) const { return dbPathDialog_; }
    QPushButton *SavepathDialog(int) const { return savePathDialog_; }
    QPushButton *CorvaOpenThe() const { return corvaOpenThe_; }
    QPushButton *Btn_Valider() const { return btnValider_; }
    QPushButton *Btn_Annuler() const { return btnAnnuler_; }
    ClickableImage *AlphaImgCtl2() const { return alphaImgCtl2_; }
    QListWidget *List1() const { return list1_; }
    QLabel *Label2() const { return label2_; }
    QLabel *Label3() const { return label3_; }
    QLabel *lblLabel4() const { return lblLabel4_; }
    QLabel *lblOR() const { return lblOR_; }
    QWidget *VistaProg1() const { return vistaProg1_; }
    QWidget *VistaProg2() const { return vistaProg2_; }
    QTimer *Timer1() const { return timer1_; }

    bool IsGroup() const { return isGroup_; }
    // True from the archive command until its last message, while pending messages run.
    bool IsArchiving() const { return archiving_; }

    // What choosing a file with the open-file dialog does once the file is known; a dropped file
    // goes the same way.
    void ChooseProjectOrGroup(const QString &path);
    void RestoreArchiveFile(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void BuildControls();
    QWidget *BuildStartChoices();
    QWidget *BuildLogoArea();
    void BuildArchivePanel();
    QWidget *BuildNoticeStrip();
    QWidget *CreateProgressBar(const QString &name);

    void Form_Load();
    void WidenStartChoices();
    void ShowVersionTexts();
    void OpenCommandLineGroup();
    bool LoadGroupIntoWindow(const QString &groupFile);
    void ConnectHandlers();
    void EndFinishedState();
    void ResetPanel();
    void ChooseProject(const QString &projectFile);
    void DBpathDialog_Click();
    void Tessbutton1_Click();
    void SavepathDialog_Click();
    void Btn_Valider_Click();
    void ArchiveGroup();
    void ArchiveSingleProject();
    void SetArchiving(bool archiving);
    void Timer1_Timer();
    void Text1_Change();
    void Image1_Click(int index);
    void Frame3D2_Click();
    void CorvaOpenThe_Click();
    void AlphaImgCtl2_Click();
    void Btn_Annuler_Click();
    void RestoreArchive_Click();

    QList<QLineEdit *> text1_;
    QList<QLabel *> label1_;
    QList<ClickableImage *> image1_;
    Frame3D *frame3D1_ = nullptr;
    Frame3D *frame3D2_ = nullptr;
    Frame3D *frame3D3_ = nullptr;
    QPushButton *tessbutton1_ = nullptr;
    QPushButton *dbPathDialog_ = nullptr;
    QPushButton *savePathDialog_ = nullptr;
    QPushButton *corvaOpenThe_ = nullptr;
    QPushButton *btnValider_ = nullptr;
    QPushButton *btnAnnuler_ = nullptr;
    ClickableImage *alphaImgCtl2_ = nullptr;
    QListWidget *list1_ = nullptr;
    QLabel *label2_ = nullptr;
    QLabel *label3_ = nullptr;
    QLabel *lblLabel4_ = nullptr;
    QLabel *lblOR_ = nullptr;
    QWidget *vistaProg1_ = nullptr;
    QWidget *vistaProg2_ = nullptr;
    QTimer *timer1_ = nullptr;
    bool isGroup_ = false;
    bool archiving_ = false;
    bool quitWhenDone_ = false;
    bool lastDirStored_ = false; // the last run's folder is the one the settings hold
    ArchivingState project_; // the single project chosen, named when it was chosen
};

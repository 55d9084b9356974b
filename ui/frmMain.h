#pragma once

#include "ArchiveJob.h"
#include "ArchivePanel.h"
#include "ArchiveRestore.h"
#include "ArchiveRun.h"
#include "ArchivingState.h"

#include <QList>
#include <QWidget>
#include <memory>

class ClickableImage;
class Frame3D;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;
class WindowObserver;

// The main window: choose a project or a group, see where its archive goes, archive it.
// Controls carry the names (and, in control arrays, the "index" property) the language files use.
// Its parts: the start choices and the logo (frmMain.cpp), the archive panel (ArchivePanel), the
// archive workflow (frmMainWorkflow.cpp) and the small commands (frmMainLinks.cpp).
class frmMain : public QWidget {
    Q_OBJECT

public:
    // The pictures of the control array Image1.
    enum Picture {
        Decoration = 0,       // beside the maker's notice; does nothing
        ComponentVersion = 1, // tells the zip library's version
        Help = 2,             // opens the help
        Logo = 3,             // tells the program's version in its tool tip
        Unzip = 4,            // restores an archive
    };

    explicit frmMain(QWidget *parent = nullptr);
    // A run still going is stopped first, and waited for.
    ~frmMain() override;

    // Controls by name and index, for the handlers and for tests driving the window.
    QLineEdit *Text1(int index) const { return panel_->Text1(index); }
    QLabel *Label1(int index) const { return panel_->Label1(index); }
    ClickableImage *Image1(int index) const { return image1_.at(index); }
    Frame3D *Frame3D1() const { return frame3D1_; }
    Frame3D *Frame3D2() const { return frame3D2_; }
    ArchivePanel *Frame3D3() const { return panel_; }
    QPushButton *Tessbutton1() const { return tessbutton1_; }
    QPushButton *DBpathDialog(int) const { return dbPathDialog_; }
    QPushButton *SavepathDialog(int) const { return panel_->SavepathDialog(); }
    QPushButton *CorvaOpenThe() const { return corvaOpenThe_; }
    QPushButton *Btn_Valider() const { return btnValider_; }
    QPushButton *Btn_Annuler() const { return btnAnnuler_; }
    ClickableImage *AlphaImgCtl2() const { return panel_->AlphaImgCtl2(); }
    QCheckBox *Check1() const { return panel_->Check1(); }
    QListWidget *List1() const { return panel_->List1(); }
    QLabel *Label2() const { return panel_->Label2(); }
    QLabel *Label3() const { return label3_; }
    QLabel *lblLabel4() const { return lblLabel4_; }
    QLabel *lblOR() const { return lblOR_; }
    QWidget *VistaProg1() const { return panel_->VistaProg1(); }
    QWidget *VistaProg2() const { return panel_->VistaProg2(); }
    QTimer *Timer1() const { return panel_->Timer1(); }

    bool IsGroup() const { return isGroup_; }
    // True from the start of an archive run or a restore until it has shown its result; the run
    // goes on a thread of its own meanwhile (ArchiveJob), and the window keeps taking input.
    bool IsRunning() const { return running_; }

    // What choosing a file with the open-file dialog does once the file is known; a dropped file
    // goes the same way.
    void ChooseProjectOrGroup(const QString &path);
    void RestoreArchiveFile(const QString &path);

signals:
    // A run has ended and shown its result; the window then closes, when Quit asked to stop it.
    void runFinished();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // frmMain.cpp: the window and its start.
    void BuildControls();
    QWidget *BuildStartChoices();
    QWidget *BuildLogoArea();
    QWidget *BuildNoticeStrip();
    void Form_Load();
    void WidenStartChoices();
    void ShowVersionTexts();
    void OpenCommandLineGroup();
    void ConnectHandlers();

    // frmMainWorkflow.cpp: choosing, archiving, and the return to the start state.
    bool LoadGroupIntoWindow(const QString &groupFile);
    void ChooseProject(const QString &projectFile);
    void EndFinishedState();
    void ResetPanel();
    void DBpathDialog_Click();
    void Tessbutton1_Click();
    void Btn_Valider_Click();
    // What the user chose for this run in the window: the password and the line ends.
    ArchiveChoices Choices();
    RememberFolder RememberOnWindowThread();
    void ArchiveGroup();
    void ArchiveSingleProject();
    void ShowGroupArchived(const ArchiveRunResult &run);
    void ShowProjectArchived(const ArchiveRunResult &run);
    void ShowArchivingComplete(const ArchiveRunResult &run);
    void StartRun(bool restoring, ArchiveJob::Work work);
    void RunEnded();
    void SetRunning(bool running);
    void Timer1_Timer();
    void Btn_Annuler_Click();
    void AskToStopAndQuit();

    // frmMainLinks.cpp: the small commands.
    void Image1_Click(int index);
    void Frame3D2_Click();
    void CorvaOpenThe_Click();
    void RestoreArchive_Click();
    void ShowRestored(const RestoreResult &result);

    ArchivePanel *panel_ = nullptr;
    QList<ClickableImage *> image1_;
    Frame3D *frame3D1_ = nullptr;
    Frame3D *frame3D2_ = nullptr;
    QPushButton *tessbutton1_ = nullptr;
    QPushButton *dbPathDialog_ = nullptr;
    QPushButton *corvaOpenThe_ = nullptr;
    QPushButton *btnValider_ = nullptr;
    QPushButton *btnAnnuler_ = nullptr;
    QLabel *label3_ = nullptr;
    QLabel *lblLabel4_ = nullptr;
    QLabel *lblOR_ = nullptr;
    bool isGroup_ = false;
    bool running_ = false;
    bool restoring_ = false;                   // the run is a restore
    bool quitWhenDone_ = false;                // Quit asked the run to stop: the window closes when it has
    bool lastDirStored_ = false;               // the last run's folder is the one the settings hold
    ArchivingState project_;                   // the single project chosen, named when it was chosen
    std::unique_ptr<WindowObserver> observer_; // shows every run
    std::unique_ptr<ArchiveJob> job_;          // the run, stopped and waited for before the rest goes
};

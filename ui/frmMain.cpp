#include "frmMain.h"

#include "Artwork.h"
#include "ClickableImage.h"
#include "ControlLoader.h"
#include "Controls.h"
#include "Frame3D.h"
#include "GroupFile.h"
#include "LanguageStrings.h"
#include "LocaleId.h"
#include "OperationsFichiers.h"
#include "UserMessages.h"
#include "ZipArchive.h"
#include "modMain.h"

#include <QApplication>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

namespace {

const QString kTitle = QString::fromLatin1(kProgramTitle);

QLabel *FieldCaption(const QString &text, int index)
{
    auto *label = Coloured(Named(new QLabel(text), QStringLiteral("Label1"), index), kFieldRed);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QFont Scaled(QFont font, double factor, bool bold)
{
    font.setPointSizeF(font.pointSizeF() * factor);
    font.setBold(bold);
    return font;
}

// The saved instances carry only their size, so a loaded bar takes the control's defaults.
void LoadDefaults(QWidget *bar)
{
    bar->setProperty("Max", 100);
    bar->setProperty("Min", 0);
    bar->setProperty("Value", 50);
}

} // namespace

frmMain::frmMain(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Visual Basic 6 Sources Archiver"));
    setWindowIcon(Artwork::AppIcon());
    BuildControls();
    Form_Load();
}

void frmMain::BuildControls()
{
    frame3D1_ = Named(new Frame3D, QStringLiteral("Frame3D1"));
    auto *frameLayout = new QVBoxLayout(frame3D1_);
    frameLayout->setContentsMargins(16, 12, 16, 16);
    frameLayout->setSpacing(12);
    frameLayout->addWidget(BuildStartChoices());

    // The archive panel lies over the logo, the title and the last-folder button when shown.
    auto *lowerArea = new QWidget;
    auto *stack = new QStackedLayout(lowerArea);
    stack->setStackingMode(QStackedLayout::StackAll);
    stack->addWidget(BuildLogoArea());
    BuildArchivePanel();
    stack->addWidget(frame3D3_);
    stack->setCurrentWidget(frame3D3_); // raised above the logo; hidden until a choice is made
    frame3D3_->hide();
    frameLayout->addWidget(lowerArea, 1);

    btnValider_ = Named(new QPushButton(QStringLiteral("&Archive")), QStringLiteral("Btn_Valider"));
    btnValider_->setDefault(true);
    btnAnnuler_ = Named(new QPushButton(QStringLiteral("&Quit")), QStringLiteral("Btn_Annuler"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnValider_);
    buttons->addWidget(btnAnnuler_);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(frame3D1_, 1);
    layout->addLayout(buttons);
    layout->addWidget(BuildNoticeStrip());
    setMinimumSize(760, 600);
}

QWidget *frmMain::BuildStartChoices()
{
    image1_ = {Named(new ClickableImage(Artwork::ArchiveDecoration(), 32), QStringLiteral("Image1"), 0),
               Named(new ClickableImage(Artwork::ComponentInfo(), 32), QStringLiteral("Image1"), 1),
               Named(new ClickableImage(Artwork::Help(), 48), QStringLiteral("Image1"), 2),
               Named(new ClickableImage(Artwork::AppIcon(), 64), QStringLiteral("Image1"), 3),
               Named(new ClickableImage(Artwork::Unzip(), 32), QStringLiteral("Image1"), 4)};
    image1_[4]->setToolTip(QStringLiteral("Unzip..."));
    for (int index : {1, 2, 4})
        image1_[index]->setCursor(Qt::PointingHandCursor);

    tessbutton1_ = Named(new QPushButton(QStringLiteral("Create or modify a project group")), QStringLiteral("Tessbutton1"));
    lblOR_ = Coloured(Named(new QLabel(QStringLiteral("OR")), QStringLiteral("lblOR")), kChoiceBlue);
    lblOR_->setAlignment(Qt::AlignCenter);
    dbPathDialog_ = Named(new QPushButton(QStringLiteral("Choose a project group or source file on disk")),
                          QStringLiteral("DBpathDialog"), 0);
    for (QPushButton *choice : {tessbutton1_, dbPathDialog_})
        choice->setMinimumHeight(36);

    auto *choices = new QVBoxLayout;
    choices->setSpacing(6);
    choices->addWidget(tessbutton1_);
    choices->addWidget(lblOR_);
    choices->addWidget(dbPathDialog_);

    auto *top = new QWidget;
    auto *grid = new QGridLayout(top);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(image1_[2], 0, 0, Qt::AlignLeft | Qt::AlignTop);
    grid->addLayout(choices, 0, 1, Qt::AlignHCenter);
    grid->addWidget(image1_[4], 0, 2, Qt::AlignRight | Qt::AlignTop);
    grid->setColumnStretch(1, 1);
    // Equal side columns keep the choices centred on the window.
    grid->setColumnMinimumWidth(0, 48);
    grid->setColumnMinimumWidth(2, 48);
    return top;
}

QWidget *frmMain::BuildLogoArea()
{
    label3_ = Coloured(Named(new QLabel(kTitle), QStringLiteral("Label3")), kChoiceBlue);
    label3_->setFont(Scaled(label3_->font(), 2.0, true));
    lblLabel4_ = Named(new QLabel(QStringLiteral("Version ")), QStringLiteral("lblLabel4"));
    corvaOpenThe_ = Named(new QPushButton(QStringLiteral("Open the last backup folder...")), QStringLiteral("CorvaOpenThe"));
    corvaOpenThe_->setIcon(Artwork::FolderButton());
    corvaOpenThe_->hide();

    auto *area = new QWidget;
    auto *layout = new QVBoxLayout(area);
    layout->addStretch();
    for (QWidget *widget : std::initializer_list<QWidget *>{image1_[3], label3_, lblLabel4_})
        layout->addWidget(widget, 0, Qt::AlignHCenter);
    layout->addSpacing(12);
    layout->addWidget(corvaOpenThe_, 0, Qt::AlignHCenter);
    layout->addStretch();
    label3_->setAlignment(Qt::AlignCenter);
    lblLabel4_->setAlignment(Qt::AlignCenter);
    return area;
}

void frmMain::BuildArchivePanel()
{
    frame3D3_ = Named(new Frame3D, QStringLiteral("Frame3D3"));
    label1_ = {Coloured(Named(new QLabel(QStringLiteral("Visual Basic© Project or Project Group to Back Up:")),
                              QStringLiteral("Label1"), 0),
                        kChoiceBlue),
               FieldCaption(QStringLiteral("Backup file name :"), 1), FieldCaption(QStringLiteral("Save Path :"), 2),
               FieldCaption(QStringLiteral("Password :"), 3)};
    for (int index = 0; index < 4; ++index)
        text1_.append(Named(new QLineEdit, QStringLiteral("Text1"), index));
    for (int index = 0; index < 3; ++index)
        ReadOnlyBox(text1_[index]);
    text1_[3]->setEchoMode(QLineEdit::Password);

    savePathDialog_ = Named(new QPushButton, QStringLiteral("SavepathDialog"), 1);
    savePathDialog_->setIcon(Artwork::FolderButton());
    savePathDialog_->hide();
    alphaImgCtl2_ = Named(new ClickableImage(Artwork::EyeOpen(), 20), QStringLiteral("AlphaImgCtl2"));
    alphaImgCtl2_->setCursor(Qt::PointingHandCursor);
    list1_ = Named(new QListWidget, QStringLiteral("List1"));
    list1_->hide();
    label2_ = Named(new QLabel(QStringLiteral("Label2")), QStringLiteral("Label2"));
    label2_->hide();
    vistaProg1_ = CreateProgressBar(QStringLiteral("VistaProg1"));
    vistaProg2_ = CreateProgressBar(QStringLiteral("VistaProg2"));
    timer1_ = Named(new QTimer(frame3D3_), QStringLiteral("Timer1"));
    timer1_->setInterval(3000);
    timer1_->setSingleShot(true);

    auto *grid = new QGridLayout(frame3D3_);
    grid->setContentsMargins(14, 12, 14, 12);
    grid->setHorizontalSpacing(8);
    grid->addWidget(label1_[0], 0, 0, 1, 3);
    grid->addWidget(text1_[0], 1, 0, 1, 3);
    grid->setRowMinimumHeight(2, 6);
    for (int index = 1; index <= 3; ++index) {
        grid->addWidget(label1_[index], index + 2, 0);
        grid->addWidget(text1_[index], index + 2, 1);
    }
    grid->addWidget(savePathDialog_, 4, 2);
    grid->addWidget(alphaImgCtl2_, 5, 2, Qt::AlignCenter);
    grid->addWidget(label2_, 6, 0, 1, 3);
    grid->addWidget(vistaProg1_, 7, 0, 1, 3);
    grid->addWidget(vistaProg2_, 8, 0, 1, 3);
    grid->addWidget(list1_, 9, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(10, 1);
}

QWidget *frmMain::BuildNoticeStrip()
{
    frame3D2_ = Named(new Frame3D, QStringLiteral("Frame3D2"));
    frame3D2_->setText(QStringLiteral("Quenzar - Visual Basic 6 source backup - 2026-"));
    frame3D2_->setCursor(Qt::PointingHandCursor);
    auto *layout = new QHBoxLayout(frame3D2_);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(image1_[0]);
    layout->addWidget(frame3D2_->captionLabel(), 1);
    layout->addWidget(image1_[1]);
    return frame3D2_;
}

// The bars come from the control library, found at run time; without it the window still works.
QWidget *frmMain::CreateProgressBar(const QString &name)
{
    const Outcome<QWidget *> created = ControlLoader().Create(QStringLiteral("Pellund.VistaProg"), frame3D3_);
    QWidget *bar = created ? created.value() : new QWidget(frame3D3_);
    if (created)
        LoadDefaults(bar);
    else
        std::fprintf(stderr, "quenzar: no progress bars: %s\n", qPrintable(created.error()));
    bar->setObjectName(name);
    bar->hide();
    return bar;
}

void frmMain::Form_Load()
{
    ProgramState &program = Program();
    program.CurrentLanguage = GetLanguageCode(UserLocaleId());
    program.HelpLanguage = ReadIni(QStringLiteral("Setup"), QStringLiteral("lng"), QStringLiteral("en"),
                                   LanguageFilePath(program.CurrentLanguage));
    LoadStrings(program.CurrentLanguage);
    TranslateForm(this, program.CurrentLanguage);
    WidenStartChoices();
    ShowVersionTexts();
    OpenCommandLineGroup();
    frame3D2_->setText(frame3D2_->text() + QString::number(QDate::currentDate().year()));
    corvaOpenThe_->setText(LocalString(20, QStringLiteral("Open the last backup folder...")));
    if (!LastBackupFolder().isEmpty())
        corvaOpenThe_->show();
    ConnectHandlers();
}

// The two start choices share one width, with room around the longer text of the language in use.
void frmMain::WidenStartChoices()
{
    int width = 380;
    for (QPushButton *choice : {tessbutton1_, dbPathDialog_})
        width = std::max(width, choice->fontMetrics().horizontalAdvance(choice->text()) + 48);
    for (QPushButton *choice : {tessbutton1_, dbPathDialog_})
        choice->setMinimumWidth(width);
}

void frmMain::ShowVersionTexts()
{
    image1_[1]->setToolTip(QStringLiteral("    Toolbox version ") + ComponentVersionText() + QStringLiteral("    "));
    const QString framed = QStringLiteral("    Version ") + ProgramVersionText() + QStringLiteral("    ");
    image1_[3]->setToolTip(framed);
    label3_->setToolTip(framed);
    lblLabel4_->setText(QStringLiteral("Version ") + ProgramVersionText());
    frame3D2_->setToolTip(framed);
}

// A project file given by the file manager (the desktop entry declares ".vbp") is chosen as the
// open-file dialog would choose it; anything else on the command line is ignored.
void frmMain::OpenCommandLineGroup()
{
    const QString commandLine = Program().CommandLine;
    if (NamesGroupFile(commandLine) && FileExists(commandLine))
        LoadGroupIntoWindow(commandLine);
    else if (commandLine.endsWith(QLatin1String(".vbp"), Qt::CaseInsensitive) && FileExists(commandLine))
        ChooseProjectOrGroup(commandLine);
}

// Shows a group in the panel, ready to archive: its name as the backup subfolder, its folder,
// its projects in the hidden list. A group that cannot be read is said so, and the window stays
// in its start state.
bool frmMain::LoadGroupIntoWindow(const QString &groupFile)
{
    isGroup_ = true;
    label1_[1]->setText(LocalString(1, QStringLiteral("Backup Subfolder Name :")));
    list1_->clear();
    text1_[0]->setText(groupFile);
    const Outcome<GroupForArchiving> group = ReadGroupFileForArchiving(groupFile);
    if (!group) {
        frame3D3_->hide();
        CurrentUserMessages().Show(this, LocalString(21, QStringLiteral("The project group cannot be read:")) +
                                             QStringLiteral("\r\n") + group.error(),
                                   kTitle, MessageIcon::Critical, MessageButtons::Ok);
        return false;
    }
    text1_[1]->setText(group.value().GroupName);
    text1_[2]->setText(AddBackslash(GroupMemberLocalPath(groupFile, group.value().BackupFolder)));
    list1_->addItems(group.value().Members);
    frame3D3_->show();
    QCoreApplication::processEvents();
    savePathDialog_->show();
    return true;
}


#include "about/frmabout.h"

#include "about/aboutpictures.h"
#include "aboutconfig.h"
#include "net/site.h"
#include "text/opendocument.h"
#include "version.h"

#include <QDir>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace {

frmAbout::Opener &theOpener()
{
    static frmAbout::Opener opener;
    return opener;
}

bool isClosingKey(QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    return key == Qt::Key_Escape || key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

frmAbout::frmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Om Kortvik..."));
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);

    Image1 = makeLabel(this, QStringLiteral("Image1"), QString());
    Image1->setPixmap(aboutPictures::cardPicture(120, 150));
    Image1->setFixedSize(120, 150);
    Image1->setAlignment(Qt::AlignTop);

    lblAbout = makeLabel(this, QStringLiteral("lblAbout"), QString());
    lblAbout->setWordWrap(true);
    lblAbout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblAbout->setFixedWidth(330);

    lblVersionText = makeLabel(this, QStringLiteral("lblVersionText"), QStringLiteral("Nuvarande version:"));
    lblVersion = makeLabel(this, QStringLiteral("lblVersion"), QStringLiteral("0.0.0"));
    lblEMailText = makeLabel(this, QStringLiteral("lblEMailText"), QStringLiteral("Min E-Mail:"));
    lblEMail = makeLabel(this, QStringLiteral("lblEMail"), QStringLiteral(KORTVIK_AUTHOR_EMAIL));
    lblEMail->setMouseTracking(true);
    lblEMail->setCursor(aboutPictures::handCursor());
    // The theme's link colour, readable on its own background.
    lblEMail->setForegroundRole(QPalette::Link);
    lblEMail->installEventFilter(this);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->installEventFilter(this);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(12);
    grid->addWidget(Image1, 0, 0, 4, 1);
    grid->addWidget(lblAbout, 0, 1, 1, 2);
    grid->addWidget(lblVersionText, 1, 1);
    grid->addWidget(lblVersion, 1, 2);
    grid->addWidget(lblEMailText, 2, 1);
    grid->addWidget(lblEMail, 2, 2);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(2, 1);
    grid->addWidget(cmdOK, 4, 2, Qt::AlignRight);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    // Form_Load
    lblAbout->setText(aboutText());
    fitAboutText();
    lblVersion->setText(QStringLiteral(KORTVIK_VERSION_TEXT));
    cmdOK->setFocus();
}

void frmAbout::fitAboutText()
{
    // A fixed-size layout asks a wrapped label only for its size hint, which
    // guesses the lines; with a larger font or a long site address the text
    // was cut. Reserve the height the text needs at its width.
    lblAbout->setMinimumHeight(lblAbout->heightForWidth(lblAbout->maximumWidth()));
}

QString frmAbout::aboutText()
{
    return QStringLiteral("Detta program är gjort för att utnyttja hemsidan ") + modData::site().baseUrl()
           + QStringLiteral(" på ett effektivt sätt. Hemsidan är gjord av ") + QStringLiteral(KORTVIK_SITE_MAKER)
           + QStringLiteral(". Programmet har inget med hemsidan att göra. Jag som har gjort programmet heter ")
           + QStringLiteral(KORTVIK_AUTHOR_NAME)
           + QStringLiteral(" och kan nås på min E-Mail adress alternativt Sandlunds chat.");
}

QString frmAbout::mailLink()
{
    return QStringLiteral("mailto:") + QStringLiteral(KORTVIK_AUTHOR_EMAIL) + QStringLiteral("?subject=Kortvik:");
}

void frmAbout::setOpener(Opener opener)
{
    theOpener() = std::move(opener);
}

void frmAbout::setLinkUnderlined(bool underlined)
{
    QFont font = lblEMail->font();
    if (font.underline() == underlined)
        return;
    font.setUnderline(underlined);
    lblEMail->setFont(font);
}

bool frmAbout::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ActivationChange:
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::Resize:
        setLinkUnderlined(false);
        break;
    case QEvent::FontChange:
    case QEvent::StyleChange:
        fitAboutText();
        break;
    default:
        if (isClosingKey(event)) {
            accept();
            return true;
        }
        break;
    }
    return QDialog::event(event);
}

void frmAbout::mouseMoveEvent(QMouseEvent *event)
{
    // Over the dialog's own surface.
    setLinkUnderlined(false);
    QDialog::mouseMoveEvent(event);
}

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lblEMail) {
        switch (event->type()) {
        case QEvent::MouseMove:
            setLinkUnderlined(true);
            return true;
        case QEvent::Leave:
            setLinkUnderlined(false);
            break;
        case QEvent::MouseButtonRelease: {
            auto *me = static_cast<QMouseEvent *>(event);
            lblEMail_MouseUp(me->button(), me->position().toPoint());
            return true;
        }
        default:
            break;
        }
    }
    // Key preview: Escape, Space and Enter close the dialog wherever the focus is.
    if (isClosingKey(event)) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmAbout::lblEMail_MouseUp(Qt::MouseButton button, const QPoint &pos)
{
    // Only a left-button release over the address opens the link.
    if (button != Qt::LeftButton || !lblEMail->rect().contains(pos))
        return;
    // A failure to open is not reported; the dialog stays.
    if (const Opener &opener = theOpener())
        opener(this, mailLink(), QDir::rootPath());
    else
        modWebFunctions::openDocument(this, mailLink(), QDir::rootPath());
}

#include "vehicles/frmAutoPic.h"

#include "common/DataFolder.h"
#include "common/RecordFile.h"
#include "common/Win1252.h"
#include "common/modGlobalVars.h"
#include "ui/PlatformServices.h"
#include "ui/SaveMessages.h"
#include "ui/WindowLook.h"
#include "vehicles/RecordSave.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPixmap>
#include <QScopeGuard>
#include <QShortcut>
#include <QStandardPaths>

namespace {

constexpr int TwipsPerPixel = 15;

// Keeps the outer size at or above 1800 × 350 twips, so the layout rule never
// gives a negative size, and leaves the picture area a little room.
constexpr QSize MinimumClient(120, 150);

QImage readPicture(const QString& path)
{
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    return reader.read();
}

// A path that the one-line picture file can hold and give back unchanged.
bool canStorePath(const QString& path)
{
    return Win1252::canEncode(path) && !path.contains(QLatin1Char('\r')) && !path.contains(QLatin1Char('\n'));
}

// Where Change Picture starts: on the picture itself, else in its folder, else the
// user's Pictures folder, else home; never the hidden program folder it runs in.
QString dialogStart(const QString& picture)
{
    if (!picture.isEmpty() && (QFileInfo::exists(picture) || QFileInfo(picture).absoluteDir().exists()))
        return QFileInfo::exists(picture) ? picture : QFileInfo(picture).absolutePath();
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return !pictures.isEmpty() && QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
}

} // namespace

const QString frmAutoPic::PictureFilter =
    QStringLiteral("jpg/jpeg Files (*.jpg;*.jpeg)|*.jpg;*.jpeg|gif Files (*.gif)|*.gif|All Files (*.*)|*.*");

AutoPicLayout autoPicLayout(QSize outerTwips)
{
    const int h = outerTwips.height();
    const int w = std::max(0, outerTwips.width() - 350);
    AutoPicLayout layout;
    layout.cmdAddPic = QRect(120, h - 1600, w, 495);
    layout.cmdClose = QRect(120, h - 1100, w, 495);
    layout.picItem = QRect(120, 120, w, std::max(0, h - 1800));
    return layout;
}

QRect twipsToPixels(const QRect& twips)
{
    const auto px = [](int v) { return qRound(double(v) / TwipsPerPixel); };
    return QRect(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height()));
}

frmAutoPic::frmAutoPic(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setupUi(this);

    // Designer files hold whole points only; the window's font is 8.25 pt.
    QFont f = font();
    f.setPointSizeF(8.25);
    setFont(f);

    // Closing the picture window never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    setMinimumSize(MinimumClient);
    picItem->hide();
    setVehicle(QString());

    connect(cmdAddPic, &QPushButton::clicked, this, &frmAutoPic::cmdAddPic_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmAutoPic::cmdClose_Click);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, cmdClose, &QPushButton::click);

    applyLayout();
    WindowLook::apply(this);
}

frmAutoPic::~frmAutoPic() = default;

void frmAutoPic::setVehicle(const QString& vehicle)
{
    m_vehicle = vehicle;
    // Without a vehicle there is no picture file to write.
    cmdAddPic->setEnabled(!m_vehicle.isEmpty());
}

bool frmAutoPic::loadPicture(const QString& vehicle)
{
    setVehicle(vehicle);
    m_picturePath.clear();
    if (m_vehicle.isEmpty())
        return false;
    const QString path = VehicleFiles::inData(VehicleFiles::pictureFile(m_vehicle));
    if (path != m_keptPictureFile)
        m_keptPictureFile.clear();
    const auto bytes = VehicleFiles::readRecord(path);
    if (bytes.unreadable()) {
        // Not while another record claims the file too (told): the picture is not its alone.
        RecordStore store = recordStore();
        if (!setAsideAndTell(store, {FileClaims::Claim::Picture, m_vehicle, {}}, bytes.error))
            m_keptPictureFile = path; // never written over
    }
    if (!bytes) {
        clearPicture();
        return false;
    }
    m_picturePath = RecordFile::parsePlainLine(*bytes);
    const QImage image = readPicture(m_picturePath);
    if (image.isNull()) {
        clearPicture();
        return false;
    }
    showPicture(image);
    return true;
}

void frmAutoPic::showNoVehicle()
{
    setVehicle(QString());
    clearPicture();
    setWindowTitle(QString());
}

void frmAutoPic::cmdAddPic_Click()
{
    const auto restore = qScopeGuard(modGlobalVars::RestoreStartDir);
    if (m_vehicle.isEmpty())
        return;

    const std::optional<QString> chosen =
        platform().openFileDialog(PictureFilter, dialogStart(m_picturePath.isEmpty() ? m_lastChosen : m_picturePath));
    if (!chosen || chosen->isEmpty())
        return;
    m_lastChosen = *chosen;
    m_picturePath.clear(); // the dialog starts on this one next

    const QImage image = readPicture(*chosen);
    if (image.isNull())
        return;
    if (!canStorePath(*chosen)) {
        platform().messageBox(QStringLiteral("Gearbook cannot store the path of this picture:\n\n%1\n\n"
                                             "A picture's path may hold only characters of the Western "
                                             "(Windows-1252) code page and no line breaks. Please move or "
                                             "rename the picture and choose it again.")
                                  .arg(*chosen),
                              QString(), MsgButtons::Ok, MsgIcon::Warning);
        return;
    }

    showPicture(image);
    const QString file = VehicleFiles::pictureFile(m_vehicle);
    const QString path = VehicleFiles::inData(file);
    if (path == m_keptPictureFile) {
        reportSave(path, {false, QStringLiteral("The file could not be read and is left unchanged.")});
        return;
    }
    // Old names: the picture file can be another record's file; it is never written then (told).
    reportStored(recordStore().writePicture({FileClaims::Claim::Picture, m_vehicle, {}}, *chosen));
}

RecordStore frmAutoPic::recordStore() const
{
    return m_claims ? RecordStore(m_claims) : RecordStore();
}

void frmAutoPic::cmdClose_Click()
{
    hide();
    emit pictureClosed();
    modGlobalVars::RestoreStartDir();
}

void frmAutoPic::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    applyLayout();
}

// The frame's size becomes known only once the window system has placed the
// window, which it reports as a move.
void frmAutoPic::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    applyLayout();
}

void frmAutoPic::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    applyLayout();
}

void frmAutoPic::closeEvent(QCloseEvent* event)
{
    cmdClose_Click();
    event->accept();
}

void frmAutoPic::applyLayout()
{
    // frameGeometry() is the client area alone until the window system has
    // given the window a frame (and always on frameless platforms).
    const QSize outer = frameGeometry().size() * TwipsPerPixel;
    const AutoPicLayout layout = autoPicLayout(outer);
    picItem->setGeometry(twipsToPixels(layout.picItem));
    cmdAddPic->setGeometry(twipsToPixels(layout.cmdAddPic));
    cmdClose->setGeometry(twipsToPixels(layout.cmdClose));
}

void frmAutoPic::showPicture(const QImage& image)
{
    m_picture = image;
    picItem->setPixmap(QPixmap::fromImage(image));
    picItem->show();
}

void frmAutoPic::clearPicture()
{
    picItem->hide();
    picItem->clear();
    m_picture = QImage();
}

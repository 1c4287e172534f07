#pragma once

#include "common/FileClaims.h"
#include "common/RecordStore.h"
#include "ui/SingleInstance.h"
#include "ui_frmAutoPic.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

namespace Ui {
class frmAutoPic;
}
class QLabel;
class QPushButton;

// Where the picture window's controls go for a given outer window size
// (title bar and borders included). Everything is in twips.
struct AutoPicLayout {
    QRect picItem;
    QRect cmdAddPic;
    QRect cmdClose;
};
AutoPicLayout autoPicLayout(QSize outerTwips);

// Twips to pixels at 96 dpi (15 twips a pixel), rounded to the nearest pixel.
QRect twipsToPixels(const QRect& twips);

// The separate, sizable window that shows the selected vehicle's picture.
// It remembers which vehicle it shows; the picture itself is found through
// the vehicle's picture file, which holds the picture's path as one line.
// The one picture window of the program, frmAutoPic::instance(), is created hidden on first use.
class frmAutoPic : public QWidget, public Ui::frmAutoPic, public SingleInstance<frmAutoPic> {
    Q_OBJECT

public:
    // Who claims which file, asked before the picture file is written; without
    // it, the vehicle list and the lists on disk.
    void setClaims(std::function<FileClaims()> claims) { m_claims = std::move(claims); }
    explicit frmAutoPic(QWidget* parent = nullptr);
    ~frmAutoPic() override;

    // The vehicle whose picture the window shows and changes; "Change Picture"
    // is enabled only while there is one.
    void setVehicle(const QString& vehicle);
    const QString& vehicle() const { return m_vehicle; }

    // Makes `vehicle` the window's vehicle and shows its stored picture.
    // Returns false, with picItem hidden, when the vehicle has no picture
    // file or its picture cannot be loaded.
    bool loadPicture(const QString& vehicle);

    // No vehicle any more (it was removed): no picture, no caption, nothing to change.
    void showNoVehicle();

    // The picture on show (null while none is).
    const QImage& picture() const { return m_picture; }

    // The file dialog's filter of picture kinds, in the pipe form.
    static const QString PictureFilter;

public slots:
    void cmdAddPic_Click();
    void cmdClose_Click();

signals:
    // The user closed the window ("Close", Esc or the window frame); whoever
    // keeps the "show picture" check box unchecks it.
    void pictureClosed();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void applyLayout();
    void showPicture(const QImage& image);
    void clearPicture();

    QString m_vehicle;
    QImage m_picture;
    QString m_lastChosen;      // the dialog opens on the last picture chosen, as it remembers it
    QString m_picturePath;     // the shown vehicle's picture as its picture file names it
    QString m_keptPictureFile; // a picture file that could not be read nor moved aside
    // Every change of the picture file goes through a store asking m_claims.
    RecordStore recordStore() const;
    std::function<FileClaims()> m_claims;
};

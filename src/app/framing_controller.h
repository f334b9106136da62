#pragma once
// The window's named framings and point to frame: the settings page's framing row backed by
// the connected camera's framings (session/framing_store.h), and the preview's double-click,
// wheel and arrow keys (tabs/preview_framing.h). A framing is applied through the settings
// engine, zoom first; once the worker is done the camera's values are read back and the
// row says which the camera did not keep.
#include <QObject>
#include <QTimer>
#include <map>
#include <string>

class CameraSession;
class CustomImageLabel;
class FramingRow;
class SettingTab;

class FramingController : public QObject {
    Q_OBJECT

public:
    FramingController(CameraSession& session, SettingTab& page, CustomImageLabel& preview, QObject* parent);

    // The values were read: the connected camera's framings in the row, the name shown kept.
    void showCameraFramings();

private:
    // The connected camera's framings in the row, with shown as the chosen name.
    void showFramings(const QString& shown);
    void save(const QString& name);
    void apply(const QString& name);
    void rename(const QString& from, const QString& to);
    void remove(const QString& name);
    // While a framing is applied: once the worker is idle, the read-back.
    void checkApplied();
    QString path() const;
    QString serial() const;
    bool cameraReady() const;
    FramingRow& row() const;

    CameraSession& session_;
    SettingTab& page_;
    QTimer applyWatch_;
    QString applyingName_;
    std::map<std::string, int> applying_;
};

#pragma once

#include <QObject>
#include <QString>

// The application object: reads the settings, owns the main window and presenter, and
// frees the settings at exit.
class PaxwellClient : public QObject
{
    Q_OBJECT

public:
    explicit PaxwellClient(QObject* parent = nullptr);
    ~PaxwellClient() override;

    // False when a settings file could not be read; the program then ends with 1.
    bool exec();

public slots:
    // A message from a later start: the path of a torrent file, or empty.
    void handleMessage(const QString& message);

private:
    bool readUserSettings();
    bool readApplicationSettings();
    bool readTorrentSettings();
    static QString settingsFilePath(const QString& fileName);
};

#pragma once

#include <QString>

namespace CommonGlobal {

// The update server's FTP account.
struct FtpParams
{
    QString host;
    int port = 21;
    QString user;
    QString password;
};

FtpParams ftpParams();

// The updater's answers to a version check.
enum ExitCode { SameVerExitCode = 2, DifferentVerExitCode = 3 };

// "https://" + the service's web host: the root of every web address.
QString webBaseUrl();

} // namespace CommonGlobal

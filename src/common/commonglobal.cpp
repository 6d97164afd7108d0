#include "common/commonglobal.h"

#include "common/deployment.h"

namespace CommonGlobal {

FtpParams ftpParams()
{
    return FtpParams{QString::fromLatin1(Deployment::updateHost), 21, QStringLiteral("qvd"),
                     QStringLiteral("qa58wk2rn71tz6xe")};
}

QString webBaseUrl()
{
    return QStringLiteral("https://") + QString::fromLatin1(Deployment::webHost);
}

} // namespace CommonGlobal

#include "support/nodacoverride.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace TestSupport {

namespace {

bool getCaps(__user_cap_data_struct data[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capget, &header, data) == 0;
}

bool setCaps(__user_cap_data_struct data[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capset, &header, data) == 0;
}

constexpr unsigned bit(int cap)
{
    return 1u << (cap % 32);
}

} // namespace

NoDacOverride::NoDacOverride()
{
    __user_cap_data_struct data[2] = {};
    if (!getCaps(data))
        return;
    m_savedEffective[0] = data[0].effective;
    m_savedEffective[1] = data[1].effective;
    data[0].effective &= ~(bit(CAP_DAC_OVERRIDE) | bit(CAP_DAC_READ_SEARCH) | bit(CAP_FOWNER));
    m_valid = setCaps(data);
}

NoDacOverride::~NoDacOverride()
{
    if (!m_valid)
        return;
    __user_cap_data_struct data[2] = {};
    if (!getCaps(data))
        return;
    data[0].effective = m_savedEffective[0];
    data[1].effective = m_savedEffective[1];
    setCaps(data);
}

} // namespace TestSupport

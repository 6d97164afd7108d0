#include "hollowway/tunnel_error.h"

namespace hollowway {

tunnel_error::tunnel_error()
    : error_category_base({
          {1, "Bad arguments"},
          {2, "Bad parameter values"},
          {3, "Tunnel already started"},
          {4, "Failed to open port"},
          {5, "Remote port forward failed"},
      })
{
}

const tunnel_error& tunnel_error::instance()
{
    static const tunnel_error category;
    return category;
}

const char* tunnel_error::name() const noexcept
{
    return "Tunnel error";
}

std::error_code make_error_code(tunnel_errc code)
{
    return {static_cast<int>(code), tunnel_error::instance()};
}

} // namespace hollowway

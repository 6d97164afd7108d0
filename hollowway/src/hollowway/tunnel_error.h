#pragma once

#include "hollowway/error_category_base.h"

#include <system_error>

namespace hollowway {

enum class tunnel_errc {
    bad_arguments = 1,
    bad_parameter_values = 2,
    already_started = 3,
    failed_to_open_port = 4,
    remote_forward_failed = 5,
};

class tunnel_error : public utils::error_category_base<tunnel_error>
{
public:
    static const tunnel_error& instance();
    const char* name() const noexcept override;

private:
    tunnel_error();
};

std::error_code make_error_code(tunnel_errc code);

} // namespace hollowway

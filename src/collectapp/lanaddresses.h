#pragma once

#include <QStringList>

namespace Velmora {

// The IPv4 addresses of this machine's network interfaces that are up, without
// the loopback: the ones respondents on the same network can reach.
QStringList lanAddresses();

} // namespace Velmora

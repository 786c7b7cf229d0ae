// The layer-shell glue for C++: the protocol names an argument
// "namespace", which is a keyword here.
#pragma once

#define namespace layer_namespace
#include "wlr_layer_shell-client-protocol.h"
#undef namespace

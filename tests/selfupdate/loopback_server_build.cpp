// The update tests' loopback HTTP server, built into this test program too.
#include "update/loopback_server.cpp"

#error "The core is standard C++ only: platform code belongs in platform/."

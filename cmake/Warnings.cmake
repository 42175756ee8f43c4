# Warnings on and clean for every target of ours.
add_library(mx840_warnings INTERFACE)
target_compile_options(mx840_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                                -Wold-style-cast -Wcast-align -Woverloaded-virtual)

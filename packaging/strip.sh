#!/bin/sh
# The strip the package is made with: also drops the compilers' .comment notes, as Debian's own
# package tools do.
exec strip --remove-section=.comment "$@"

#!/bin/sh
# Stands in for the browser during the end-to-end tests: Wine's winebrowser
# runs it with the address, which is recorded instead of opened.
printf '%s\n' "$1" >> "${E2E_URL_FILE:?E2E_URL_FILE is not set}"

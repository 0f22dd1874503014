#!/usr/bin/env bash
# Installs, builds and starts the configurator.  Its workspace (MASTER,
# PROJECTS, LANGUAGE, Tessaran.xml) lies beside the executable in build/bin.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec build/bin/kv52013

# SPDX-License-Identifier: MIT
# Copies the module into the package as a plain file (mode 644): the linker marks what it writes
# executable, and npm would pack it so.
file(COPY_FILE ${SOURCE} ${DESTINATION})
file(CHMOD ${DESTINATION} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

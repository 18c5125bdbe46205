// SPDX-License-Identifier: MIT
package io.github.dfadates;

/** The add-in could not be loaded, or one of its functions failed (a trap of the module). */
public final class DfaException extends RuntimeException {
    private static final long serialVersionUID = 1L;

    DfaException(String message) {
        super(message);
    }

    DfaException(String message, Throwable cause) {
        super(message, cause);
    }
}

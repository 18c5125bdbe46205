// SPDX-License-Identifier: MIT
// Outside Node.js: there is no local file to read, and relative sources are resolved against the
// page (or the worker's script).
export function readLocalFile(url) {
  return Promise.reject(new Error(`cannot load ${url}: local files are read only in Node.js; give a URL the page can fetch`));
}

export function baseURL() {
  return globalThis.document?.baseURI ?? globalThis.location?.href;
}

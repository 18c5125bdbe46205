// SPDX-License-Identifier: MIT
// In Node.js: a local module is read only if it is a regular file of bounded size, opened
// without blocking (a FIFO or a device opens and is refused, never waited on); relative sources
// are resolved against the working directory, as paths are.
import { open, constants } from 'node:fs/promises';
import { pathToFileURL } from 'node:url';

// Far above any add-in's size (this one is under 64 KiB), far below what would strain a host.
export const MAX_MODULE_BYTES = 64 * 1024 * 1024;

export async function readLocalFile(url) {
  const fail = (why) => new Error(`cannot load ${url}: ${why}`);
  let file;
  try {
    file = await open(url, constants.O_RDONLY | constants.O_NONBLOCK);
  } catch (error) {
    throw fail(error.code === 'ENOENT' ? 'no such file' : error.message);
  }
  try {
    const stat = await file.stat();
    if (!stat.isFile()) throw fail('not a regular file');
    if (stat.size > MAX_MODULE_BYTES) throw fail(`larger than ${MAX_MODULE_BYTES} bytes`);
    const bytes = new Uint8Array(stat.size);
    let filled = 0;
    for (let n = 1; filled < bytes.length && n > 0; filled += n)
      ({ bytesRead: n } = await file.read(bytes, filled, bytes.length - filled, filled));
    return bytes.subarray(0, filled);
  } finally {
    await file.close();
  }
}

export function baseURL() {
  return pathToFileURL(`${process.cwd()}/`).href;
}

// node-pkware through its stream API, the one its command-line tools use. (Its buffer API in
// 'node-pkware/simple' loses the end of some streams, so it is not used.)
import { Readable } from 'node:stream'
import { join } from 'node:path'
import { pathToFileURL } from 'node:url'

export async function loadPkware(moduleDir) {
  const pk = await import(pathToFileURL(join(moduleDir, 'dist', 'index.js')).href)
  const run = (handler, data) =>
    new Promise((resolve, reject) => {
      const chunks = []
      for (let i = 0; i < data.length; i += 65536) chunks.push(data.subarray(i, i + 65536))
      // Collected here rather than with its toBuffer helper, which can hand back spare capacity.
      const out = []
      Readable.from(chunks)
        .pipe(pk.stream.through(handler))
        .on('data', (chunk) => out.push(chunk))
        .on('end', () => resolve(Buffer.concat(out)))
        .on('error', reject)
    })
  const types = { binary: pk.Compression.Binary, ascii: pk.Compression.Ascii }
  const dicts = { 1024: pk.DictionarySize.Small, 2048: pk.DictionarySize.Medium, 4096: pk.DictionarySize.Large }
  return {
    implode: (data, mode, dict) => run(pk.implode(types[mode], dicts[dict]), data),
    explode: (data) => run(pk.explode(), data),
  }
}

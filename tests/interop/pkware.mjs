// Runs node-pkware's buffer API on files, for the interop test and the benchmark.
//   node pkware.mjs MODULE_DIR implode binary|ascii 1024|2048|4096 IN OUT
//   node pkware.mjs MODULE_DIR explode IN OUT
import { readFileSync, writeFileSync } from 'node:fs'
import { join } from 'node:path'
import { pathToFileURL } from 'node:url'

const [moduleDir, command, ...rest] = process.argv.slice(2)
const usage = () => {
  console.error('usage: pkware.mjs MODULE_DIR implode binary|ascii 1024|2048|4096 IN OUT | explode IN OUT')
  process.exit(10)
}
if (!moduleDir || !command) usage()

let pkware
try {
  pkware = await import(pathToFileURL(join(moduleDir, 'dist', 'simple', 'index.js')).href)
} catch (err) {
  console.error(`node-pkware not found under ${moduleDir} (${err.message}); run scripts/setup`)
  process.exit(11)
}

const load = (path) => {
  const data = readFileSync(path)
  return data.buffer.slice(data.byteOffset, data.byteOffset + data.byteLength)
}
const sizes = { 1024: 'small', 2048: 'medium', 4096: 'large' }

if (command === 'implode' && rest.length === 4) {
  const [mode, dict, input, output] = rest
  if (!['binary', 'ascii'].includes(mode) || !sizes[dict]) usage()
  writeFileSync(output, new Uint8Array(pkware.implode(load(input), mode, sizes[dict])))
} else if (command === 'explode' && rest.length === 2) {
  const [input, output] = rest
  writeFileSync(output, new Uint8Array(pkware.explode(load(input))))
} else {
  usage()
}

// Runs node-pkware on files, for the benchmark.
//   node pkware.mjs MODULE_DIR implode binary|ascii 1024|2048|4096 IN OUT
//   node pkware.mjs MODULE_DIR explode IN OUT
import { readFileSync, writeFileSync } from 'node:fs'
import { loadPkware } from './pkware_lib.mjs'

const [moduleDir, command, ...rest] = process.argv.slice(2)
const usage = () => {
  console.error('usage: pkware.mjs MODULE_DIR implode binary|ascii 1024|2048|4096 IN OUT | explode IN OUT')
  process.exit(10)
}
if (!moduleDir || !command) usage()

let pkware
try {
  pkware = await loadPkware(moduleDir)
} catch (err) {
  console.error(`node-pkware not found under ${moduleDir} (${err.message}); run scripts/setup`)
  process.exit(11)
}

if (command === 'implode' && rest.length === 4) {
  const [mode, dict, input, output] = rest
  if (!['binary', 'ascii'].includes(mode) || ![1024, 2048, 4096].includes(Number(dict))) usage()
  writeFileSync(output, await pkware.implode(readFileSync(input), mode, Number(dict)))
} else if (command === 'explode' && rest.length === 2) {
  const [input, output] = rest
  writeFileSync(output, await pkware.explode(readFileSync(input)))
} else {
  usage()
}

// Compiles docs/velkoscr.ksy with the Kaitai Struct compiler and parses a
// pack with the result, printing its entries as JSON in the form that
// "scrunpack list --json" uses: slot, name (bytes 0x80-0xFF as U+0080 to
// U+00FF, the zero padding dropped), offset, size.
//
// usage: node parse_pack.js FORMAT.ksy PACK
'use strict';
const fs = require('fs');
const yaml = require('js-yaml');
const KaitaiStream = require('kaitai-struct/KaitaiStream');
const KaitaiStructCompiler = require('kaitai-struct-compiler');

async function main() {
  const [ksyPath, packPath] = process.argv.slice(2);
  const description = yaml.load(fs.readFileSync(ksyPath, 'utf8'));
  const files = await KaitaiStructCompiler.compile('javascript', description, null,
                                                  false);
  const source = Object.values(files)[0];
  // The generated module defines itself through UMD; give it a CommonJS
  // module and the runtime it asks for.
  const module = { exports: {} };
  const load = new Function('module', 'exports', 'require', source);
  load(module, module.exports, (name) =>
    name === 'kaitai-struct/KaitaiStream' ? KaitaiStream : require(name));
  const Velkoscr = module.exports.Velkoscr || module.exports;
  const pack = new Velkoscr(new KaitaiStream(fs.readFileSync(packPath)));
  const entries = [];
  pack.slots.forEach((slot, index) => {
    if (index === 0 || slot.isEmpty) return;
    let end = slot.name.length;
    while (end > 0 && slot.name[end - 1] === 0) --end;
    entries.push({
      slot: index,
      name: String.fromCharCode(...slot.name.slice(0, end)),
      offset: slot.ofsBody,
      size: slot.lenBody,
      body: slot.body === undefined ? null : Buffer.from(slot.body).toString('hex'),
    });
  });
  process.stdout.write(JSON.stringify(entries) + '\n');
}

main().catch((error) => {
  process.stderr.write(`parse_pack: ${error.stack || error}\n`);
  process.exit(2);
});

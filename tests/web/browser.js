// Opens the built page from disk in Debian's Chromium (headless, driven by
// playwright-core) and uses it as a learner would: runs three examples and a
// broken file, checks the result table, the tree and the marked error, and
// saves screenshots on a desktop and a 360 px wide screen.
//
//   node browser.js build/web/page/index.html build/web/screenshots
'use strict';

const fs = require('fs');
const path = require('path');
const { pathToFileURL } = require('url');
const { chromium } = require('playwright-core');

const [pagePath, shotDir] = process.argv.slice(2);
if (!pagePath || !shotDir) {
  console.error('usage: browser.js INDEX_HTML SCREENSHOT_DIR');
  process.exit(2);
}
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';

let passed = 0;
let failed = 0;
function check(what, ok, detail = '') {
  if (ok) {
    passed++;
  } else {
    failed++;
    console.log(`FAIL ${what}${detail ? `: ${detail}` : ''}`);
  }
}
const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);

// The result table as [header, ...rows] of cell texts, column types left out.
async function resultTable(page) {
  return page.$$eval('#result-table tr', (trs) =>
    trs.map((tr) =>
      [...tr.children].map((c) => (c.tagName === 'TH' ? c.firstChild.textContent : c.textContent))));
}

async function treeShape(page) {
  return page.$$eval('#tree', ([svg]) => ({
    heads: [...svg.querySelectorAll('.node text.head')].map((t) => t.textContent),
    edges: svg.querySelectorAll('.edge:not(.output)').length,
    labels: [...svg.querySelectorAll('.edge-label')].map((t) => t.textContent),
  }));
}

async function runExample(page, id) {
  await page.selectOption('#example', id);
  await page.waitForFunction(() => /^(Done|Failed)/.test(document.getElementById('status').textContent));
}

// Nodes must not overlap: a tidy layout keeps their boxes apart.
async function nodesOverlap(page) {
  return page.$$eval('#tree .node rect', (rects) => {
    const boxes = rects.map((r) => r.getBBox());
    for (let i = 0; i < boxes.length; i++) {
      for (let j = i + 1; j < boxes.length; j++) {
        const a = boxes[i];
        const b = boxes[j];
        if (a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height) return true;
      }
    }
    return false;
  });
}

let browser = null;

async function main() {
  fs.mkdirSync(shotDir, { recursive: true });
  const args = ['--disable-gpu', '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--no-first-run', '--disable-quic'];
  if (process.getuid && process.getuid() === 0) args.push('--no-sandbox');
  browser = await chromium.launch({ executablePath: CHROMIUM, headless: true, args });
  const context = await browser.newContext({ viewport: { width: 1280, height: 900 }, acceptDownloads: true });
  const page = await context.newPage();
  page.setDefaultTimeout(20000);

  const remote = [];
  const problems = [];
  page.on('request', (r) => {
    if (!/^(file|data|blob):/.test(r.url())) remote.push(r.url());
  });
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  page.on('console', (m) => {
    if (m.type() === 'error') problems.push(`console error: ${m.text()}`);
  });

  await page.goto(pathToFileURL(path.resolve(pagePath)).href);
  // The page runs the first example (union) as soon as the engine is loaded.
  await page.waitForFunction(() => /^Done/.test(document.getElementById('status').textContent), null,
    { timeout: 30000 });

  // union
  check('union: result table', same(await resultTable(page),
    [['id', 'label'], ['1', 'apple'], ['2', 'pear'], ['3', 'plum']]), JSON.stringify(await resultTable(page)));
  check('union: tree', same(await treeShape(page), { heads: ['∪ union', 'R', 'S'], edges: 2, labels: ['3 rows'] }),
    JSON.stringify(await treeShape(page)));
  check('union: output file shown', (await page.textContent('#output')).endsWith("__!!temp(id int, label char(10))\n1,'apple'\n2,'pear'\n3,'plum'\n\n"));
  check('union: console transcript', (await page.textContent('#console')).includes('File (output.txt) irasa...'));
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#download')]);
  const downloaded = fs.readFileSync(await download.path(), 'utf8');
  check('union: downloaded output file is the one shown', downloaded === await page.textContent('#output'));
  await page.screenshot({ path: path.join(shotDir, 'union-desktop.png'), fullPage: true });

  // select
  await runExample(page, 'select');
  check('select: result table', same(await resultTable(page), [['id', 'name', 'city', 'year'],
    ['1', 'Anna', 'Szeged', '2'], ['4', 'Dani', 'Szeged', '3']]), JSON.stringify(await resultTable(page)));
  const selectTree = await treeShape(page);
  check('select: tree', same(selectTree, { heads: ['σ select', 'Students'], edges: 1, labels: ['2 rows'] }),
    JSON.stringify(selectTree));
  check('select: condition under the operator',
    (await page.textContent('#tree .node text.detail')) === "AND(EQ(city, 'Szeged'), GT(year, '1'))");
  await page.screenshot({ path: path.join(shotDir, 'select-desktop.png'), fullPage: true });

  // nested, run from the keyboard
  await page.selectOption('#example', 'nested');
  await page.waitForFunction(() => /^Done/.test(document.getElementById('status').textContent));
  await page.fill('#editor', (await page.inputValue('#editor')).replace("3,'Algebra'", "2,'Logic'\n3,'Algebra'"));
  await page.focus('#editor');
  await page.keyboard.press('Control+Enter');
  await page.waitForFunction(() => document.querySelectorAll('#result-table tbody tr').length === 4);
  check('nested: result table after Ctrl+Enter', same(await resultTable(page), [['name', 'course'],
    ['Anna', 'Algebra'], ['Anna', 'Logic'], ['Bela', 'Logic'], ['Csilla', 'Algebra']]), JSON.stringify(await resultTable(page)));
  const nestedTree = await treeShape(page);
  check('nested: tree', same(nestedTree, { heads: ['π project', 'σ select', '× product', 'Students', 'Enrolments'],
    edges: 4, labels: ['4 rows', '12 rows', '4 rows'] }), JSON.stringify(nestedTree));
  check('nested: tree nodes apart', !(await nodesOverlap(page)));
  // Operators are reachable and chosen from the keyboard.
  await page.focus('#tree .node[data-id="1"]');
  await page.keyboard.press('Enter');
  check('nested: choosing an inner operator shows its own relation',
    /σ select|select/.test(await page.textContent('#tree-info')) &&
    (await page.getAttribute('#tree .node[data-id="1"]', 'class')).includes('selected') &&
    (await page.textContent('#result-caption')).startsWith('Intermediate result') &&
    (await resultTable(page)).length === 5 && (await resultTable(page))[0].length === 4);
  await page.click('#tree .node[data-id="0"]');
  check('nested: choosing the root shows the result', (await page.textContent('#result-caption')).startsWith('Result') &&
    (await resultTable(page)).length === 5);
  await page.screenshot({ path: path.join(shotDir, 'nested-desktop.png'), fullPage: true });

  // a broken file: an unknown column after a two-byte letter
  const broken = "select(Tanulók, EQ(város, 'Pécs'))\n\nTanulók(id int, név char(10))\n1,'Anna'\n";
  await page.fill('#editor', broken);
  await page.click('#run');
  await page.waitForFunction(() => /^Failed/.test(document.getElementById('status').textContent));
  check('broken: error line shown',
    (await page.textContent('#error')) === 'tabulon: input.txt:1:21: A(z) város oszlop nem letezik.',
    await page.textContent('#error'));
  const marked = await page.$eval('#editor', (e) => e.value.slice(e.selectionStart, e.selectionEnd));
  check('broken: error place selected in the editor', marked === 'város', JSON.stringify(marked));
  check('broken: error line marked in the gutter', (await page.textContent('#gutter .error-mark')) === '1');
  check('broken: no result table, no output file', (await resultTable(page)).length === 0 &&
    (await page.isDisabled('#download')));
  const brokenTree = await treeShape(page);
  check('broken: tree still drawn, without row counts',
    same(brokenTree, { heads: ['σ select', 'Tanulók'], edges: 1, labels: [] }), JSON.stringify(brokenTree));
  await page.screenshot({ path: path.join(shotDir, 'error-desktop.png'), fullPage: true });

  // a phone-sized screen
  await page.setViewportSize({ width: 360, height: 740 });
  await page.screenshot({ path: path.join(shotDir, 'error-mobile.png'), fullPage: true });
  await runExample(page, 'nested');
  check('mobile: nothing wider than the screen',
    await page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth),
    String(await page.evaluate(() => document.documentElement.scrollWidth)));
  await page.screenshot({ path: path.join(shotDir, 'nested-mobile.png'), fullPage: true });

  check('no request left the machine', remote.length === 0, remote.join(' '));
  check('no script errors', problems.length === 0, problems.join('; '));
}

main()
  .catch((e) => {
    failed++;
    console.log(`FAIL ${e.stack || e}`);
  })
  .finally(async () => {
    if (browser) await browser.close();
    console.log(`screenshots in ${path.resolve(shotDir)}`);
    console.log(`${passed} passed, ${failed} failed`);
    process.exitCode = failed > 0 ? 1 : 0;
  });

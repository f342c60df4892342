// The collector's pages as respondents meet them, judged by tools nobody here
// wrote: Lighthouse (accessibility and best practices, phone and desktop) and
// axe-core, in Debian's Chromium; then a phone (390x844 at scale 3, touch) that
// taps the options' words, a keyboard alone that fills and sends the survey,
// the accessibility tree, and the sizes of text and targets; and every page at
// 320 px with 200 % text, without sideways scrolling. Two surveys are listed,
// the second with a question that is one word too long for a phone.
//
// usage: node audit.mjs VELMORA_COLLECT WRITE_SAMPLE_SURVEY PICTURE [SCREENSHOT_FOLDER]
// With a folder it also takes the README's screenshots: the survey, the
// thank-you page and the list, on a phone and a desktop, light and dark.
import { spawn, spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { createRequire } from 'node:module';
import lighthouse from 'lighthouse';
import desktopConfig from 'lighthouse/core/config/desktop-config.js';
import puppeteer from 'puppeteer-core';

const require = createRequire(import.meta.url);
const axeSource = readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
const [collect, writeSample, picture, screenshots] = process.argv.slice(2);
const failures = [];
const check = (ok, what) => { if (!ok) failures.push(what); };

function freePort() {
  return new Promise((resolve) => {
    const server = createServer();
    server.listen(0, '127.0.0.1', () => { const { port } = server.address(); server.close(() => resolve(port)); });
  });
}

const folder = mkdtempSync(join(tmpdir(), 'velmora-a11y-'));
spawnSync(writeSample, [folder, picture], { stdio: 'inherit' });
const longWord = 'Productnamewithoutanyspace'.repeat(12);
writeFileSync(join(folder, 'Second Survey.htm'),
              readFileSync(join(folder, 'My Product Survey.htm'), 'latin1')
                .replace('What product did you test?', longWord)
                .replace('<title>My Product Survey', '<title>Second Survey'), 'latin1');
const port = await freePort();
const collector = spawn(collect, [folder, '--port', String(port), '--local', '--quiet', '--lang', 'en',
                                  '--languages', 'all'],
                        { stdio: ['ignore', 'pipe', 'inherit'] });
await new Promise((resolve) => collector.stdout.on('data', (d) => { if (String(d).includes('Press Ctrl+C')) resolve(); }));
const base = `http://127.0.0.1:${port}/`;
const survey = `${base}My%20Product%20Survey.htm`;

// An answer sent, for the thank-you page with its receipt.
const sent = await fetch(survey, { method: 'POST', redirect: 'manual', body: new URLSearchParams({ '1': 'audit' }),
                                  headers: { 'Content-Type': 'application/x-www-form-urlencoded' } });
const thanks = new URL(sent.headers.get('location'), survey).href;

const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  userDataDir: mkdtempSync(join(tmpdir(), 'velmora-chromium-')),
});
const chromePort = Number(new URL(browser.wsEndpoint()).port);

try {
  // Lighthouse, phone and desktop.
  // Lighthouse will not audit a page with an error status: axe judges the 404 below.
  const results = `${base}results/${readFileSync(join(folder, '.velmora-results-token'), 'utf8').trim()}/`;
  const pages = [['survey', survey], ['thank-you', thanks], ['list', base],
                 ['results', results], ['removal', `${results}answers/My%20Product%20Survey.htm`],
                 ['required', `${results}required/My%20Product%20Survey.htm`],
                 ['schedule', `${results}schedule/My%20Product%20Survey.htm`]];
  for (const [name, url] of pages) {
    for (const [form, config] of [['mobile', undefined], ['desktop', desktopConfig]]) {
      const result = await lighthouse(url, {
        port: chromePort, output: 'json', logLevel: 'error',
        onlyCategories: ['accessibility', 'best-practices'],
      }, config);
      const a11y = result.lhr.categories.accessibility.score;
      const practices = result.lhr.categories['best-practices'].score;
      console.log(`lighthouse ${name} ${form}: accessibility ${a11y * 100}, best practices ${practices * 100}`);
      check(a11y === 1, `${name} ${form}: accessibility ${a11y * 100}`);
      if (name === 'survey')
        check(practices >= 0.96, `${name} ${form}: best practices ${practices * 100}`);
    }
  }

  const page = await browser.newPage();
  await page.emulate({
    viewport: { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true },
    userAgent: 'Mozilla/5.0 (Linux; Android 14) AppleWebKit/537.36 (KHTML, like Gecko) Mobile Safari/537.36',
  });
  // axe-core on the survey page and the collector's own pages. The pages allow
  // no script; the test's own is let in.
  await page.setBypassCSP(true);
  for (const url of [survey, thanks, base, `${base}nothing.htm`]) {
    await page.goto(url);
    await page.addScriptTag({ content: axeSource });
    const axe = await page.evaluate(async () => (await window.axe.run()).violations.map((v) => `${v.id}: ${v.help}`));
    console.log(`axe-core on ${url}: ${axe.length} violations`);
    check(axe.length === 0, `axe on ${url}: ${axe.join('; ')}`);
    // Links a finger can hit: 44 px high, as the survey's own targets.
    const links = await page.$$eval('a', (all) => all.map((a) => a.getBoundingClientRect().height));
    check(links.every((h) => h >= 44 && h < 60), `links on ${url}: ${links}`);
  }
  await page.goto(survey);

  // Tapping an option's words selects it.
  for (const words of ['b) Maybe', 'a) Poor', 'b) Average']) {
    const [target] = await page.$$(`xpath/.//label[@class="option"]/span[normalize-space()="${words}"]`);
    await target.tap();
    const checked = await target.evaluate((s) => s.parentElement.querySelector('input').checked);
    check(checked, `tapping "${words}" did not select it`);
  }

  // Every text at least 16 px, every target at least 44 px high, at 390 px wide.
  const sizes = await page.evaluate(() => {
    const small = [];
    for (const element of document.querySelectorAll('h1, legend, label, span, p, input, textarea, button')) {
      const size = parseFloat(getComputedStyle(element).fontSize);
      if (size < 16) small.push(`${element.tagName} text ${size}px`);
    }
    // Targets a person can see and touch: the hidden button that keeps Enter
    // from sending the survey is none.
    const targets = [...document.querySelectorAll('label.option, input[type=text], textarea, button')]
      .filter((target) => target.getClientRects().length > 0);
    for (const target of targets) {
      const box = target.getBoundingClientRect();
      if (box.height < 44 || box.width < 44) small.push(`${target.tagName} ${box.width}x${box.height}`);
    }
    const wide = document.documentElement.scrollWidth;
    if (wide > 390) small.push(`page ${wide}px wide`);
    return small;
  });
  check(sizes.length === 0, `sizes: ${sizes.join(', ')}`);

  // The accessibility tree names every input and every question group.
  const tree = await page.accessibility.snapshot({ interestingOnly: false });
  const unnamed = [];
  (function walk(node) {
    if (['textbox', 'radio', 'checkbox', 'button', 'group'].includes(node.role) && !node.name)
      unnamed.push(node.role);
    (node.children || []).forEach(walk);
  })(tree);
  check(unnamed.length === 0, `unnamed in the accessibility tree: ${unnamed.join(', ')}`);

  // The keyboard alone fills in the survey and sends it.
  await page.goto(survey);
  await page.keyboard.press('Tab');
  await page.keyboard.type('Kim Keyboard');
  await page.keyboard.press('Tab');
  await page.keyboard.type('kim@example.org');
  await page.keyboard.press('Tab');
  await page.keyboard.type('A tablet');
  await page.keyboard.press('Tab');          // the first option of question 2
  await page.keyboard.press('ArrowDown');    // b) No
  await page.keyboard.press('ArrowDown');    // b) Maybe
  await page.keyboard.press('Tab');          // a) Good
  await page.keyboard.press('Tab');          // b) Average
  await page.keyboard.press('Tab');          // a) Poor
  await page.keyboard.press('Space');
  await page.keyboard.press('Tab');          // the comments
  await page.keyboard.type('Keys only.');
  await page.keyboard.press('Tab');          // FINISHED
  await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
  check(page.url().includes('?answered='), `the keyboard did not send the survey: ${page.url()}`);
  const csv = readFileSync(join(folder, 'My Product Survey answers.csv'), 'utf8');
  check(csv.includes('"Kim Keyboard","kim@example.org","A tablet","b) Maybe","a) Poor","","Keys only."'),
        `the answers file holds ${csv.split('\r\n').slice(-2)[0]}`);

  // Back, a change, FINISHED: the page that asks what the answers are passes
  // axe too, its buttons as large as the survey's.
  await page.goBack();
  await page.$eval('[name="1"]', (box) => { box.value = 'A phone'; });
  await Promise.all([page.waitForNavigation(), page.click('button[value=FINISHED]')]);
  check((await page.content()).includes('You sent this survey before'),
        `Back and a change were not asked about: ${page.url()}`);
  await page.addScriptTag({ content: axeSource });
  const asked = await page.evaluate(async () => (await window.axe.run()).violations.map((v) => `${v.id}: ${v.help}`));
  console.log(`axe-core on the page that asks: ${asked.length} violations`);
  check(asked.length === 0, `axe on the page that asks: ${asked.join('; ')}`);
  const buttons = await page.$$eval('button', (all) => all.map((b) => b.getBoundingClientRect().height));
  check(buttons.length === 2 && buttons.every((h) => h >= 44), `the page that asks: buttons ${buttons}`);

  // The results link's page that removes test answers, with answers in it.
  await page.goto(`${results}answers/My%20Product%20Survey.htm`);
  await page.addScriptTag({ content: axeSource });
  const removal = await page.evaluate(async () => (await window.axe.run()).violations.map((v) => `${v.id}: ${v.help}`));
  console.log(`axe-core on the page that removes test answers: ${removal.length} violations`);
  check(removal.length === 0, `axe on the page that removes test answers: ${removal.join('; ')}`);
  const boxes = await page.$$eval('input[type=checkbox]', (all) => all.map((b) => b.getBoundingClientRect().height));
  check(boxes.length > 0 && boxes.every((h) => h >= 24), `the page that removes test answers: boxes ${boxes}`);

  // 320 px with 200 % text (WCAG 1.4.4 and 1.4.10): nothing wider than the
  // screen, on every page, the refusal quoting the long question too.
  const narrow = await browser.newPage();
  await narrow.setViewport({ width: 320, height: 640, deviceScaleFactor: 2, isMobile: true, hasTouch: true });
  await narrow.setBypassCSP(true);
  const second = `${base}Second%20Survey.htm`;
  const reflows = async (what) => {
    await narrow.addStyleTag({ content: 'html{font-size:200% !important}' });
    const wide = await narrow.evaluate(() => document.documentElement.scrollWidth);
    console.log(`320 px, 200 % text: ${what} ${wide} px wide`);
    check(wide <= 320, `${what} at 320 px with 200 % text is ${wide} px wide`);
  };
  for (const url of [survey, second, thanks, base, `${base}nothing.htm`,
                     `${second}/`, results]) {
    await narrow.goto(url);
    await reflows(url);
  }
  await narrow.goto(second);
  await Promise.all([narrow.waitForNavigation(), narrow.evaluate(() => {
    document.getElementsByName('1')[0].value = 'x'.repeat(2001);
    document.querySelector('button[value=FINISHED]').click();
  })]);
  check((await narrow.content()).includes(longWord), 'the refusal does not quote the long question');
  await reflows('the refusal of an answer too long');

  // The W3C's checker (vnu, the Nu Html Checker) finds no error in any page
  // the collector serves, as it serves them.
  const form = (fields, language = '*') => ({
    method: 'POST', body: new URLSearchParams(fields),
    headers: { 'Content-Type': 'application/x-www-form-urlencoded', 'Accept-Language': language } });
  // The collector's own pages as a German and an Arabic browser get them.
  const translated = ['de', 'ar'];
  const inLanguage = async (language, url) => (await fetch(url, { headers: { 'Accept-Language': language } })).text();
  const surveyHtml = await (await fetch(survey)).text();
  const id = surveyHtml.match(/name="velmora-answer-id" value="([0-9a-f]{32})"/)[1];
  await fetch(survey, form({ '1': 'first', 'velmora-answer-id': id }));
  const served = {
    survey: surveyHtml, thanks: await (await fetch(thanks)).text(),
    list: await (await fetch(base)).text(), 'not-found': await (await fetch(`${second}/`)).text(),
    asks: await (await fetch(survey, form({ '1': 'second', 'velmora-answer-id': id }))).text(),
    'too-long': await (await fetch(second, form({ '1': 'x'.repeat(2001) }))).text(),
    results: await (await fetch(results)).text(),
    removal: await (await fetch(`${results}answers/My%20Product%20Survey.htm`)).text(),
  };
  for (const language of translated) {
    served[`list-${language}`] = await inLanguage(language, base);
    served[`not-found-${language}`] = await inLanguage(language, `${second}/`);
    served[`thanks-${language}`] = await inLanguage(language, thanks);
    served[`too-long-${language}`] = await (await fetch(second, form({ '1': 'x'.repeat(2001) }, language))).text();
  }
  // Every question required for a moment: the survey that says so, and the refusal.
  const requiredPage = `${results}required/My%20Product%20Survey.htm`;
  served.required = await (await fetch(requiredPage, form({ every: '1' }))).text();
  served['survey-required'] = await (await fetch(survey)).text();
  served.missing = await (await fetch(survey, form({ '1': 'only this' }))).text();
  for (const language of translated)
    served[`missing-${language}`] = await (await fetch(survey, form({ '1': 'only this' }, language))).text();
  await fetch(requiredPage, form({}));
  // Closed for a moment: the page a respondent then gets.
  const schedulePage = `${results}schedule/My%20Product%20Survey.htm`;
  await fetch(schedulePage, form({ do: 'close', at: '' }));
  served.closed = await (await fetch(survey)).text();
  for (const language of translated)
    served[`closed-${language}`] = await inLanguage(language, survey);
  await fetch(schedulePage, form({ do: 'open', at: '' }));
  const checked = mkdtempSync(join(tmpdir(), 'velmora-vnu-'));
  for (const [name, html] of Object.entries(served))
    writeFileSync(join(checked, `${name}.html`), html);
  const vnu = spawnSync('java', ['-jar', require.resolve('vnu-jar/build/dist/vnu.jar'), '--errors-only',
                                 '--format', 'json', ...Object.keys(served).map((name) => join(checked, `${name}.html`))],
                        { encoding: 'utf8' });
  const errors = JSON.parse(vnu.stderr || '{"messages":[]}').messages
    .map((m) => `${m.url.replace(/.*\//, '')}:${m.lastLine}: ${m.message}`);
  console.log(`vnu on ${Object.keys(served).length} pages: ${errors.length} errors`);
  check(vnu.status === 0 && errors.length === 0, `vnu: ${errors.join('; ') || vnu.stderr}`);
  check(served['survey-required'].includes('(required)') && served.missing.includes('Some answers are missing'),
        'every question required: not marked, or not refused');
  check(served.closed.includes('This survey is closed'), 'the survey closed shows no closed page');
  check(served['missing-de'].includes('Einige Antworten fehlen') &&
        served['closed-ar'].includes('<html lang="ar" dir="rtl">'),
        'the pages are not in the language the browser asks for');
  for (const name of ['survey-required', 'missing', 'closed', 'missing-de', 'closed-de', 'missing-ar',
                      'closed-ar', 'list-ar']) {
    await page.setContent(served[name]);
    await page.addScriptTag({ content: axeSource });
    const found = await page.evaluate(async () => (await window.axe.run()).violations.map((v) => `${v.id}: ${v.help}`));
    console.log(`axe-core on ${name}: ${found.length} violations`);
    check(found.length === 0, `axe on ${name}: ${found.join('; ')}`);
  }
  // Right to left, at 320 px with 200 % text, as wide as the screen and no wider.
  for (const name of ['too-long-ar', 'closed-ar']) {
    await narrow.setContent(served[name]);
    await reflows(name);
  }

  if (screenshots) {
    const shots = await browser.newPage();
    for (const scheme of ['light', 'dark']) {
      await shots.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
      for (const [device, viewport] of [
        ['phone', { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true }],
        ['desktop', { width: 1280, height: 900, deviceScaleFactor: 1 }]]) {
        await shots.setViewport(viewport);
        // The page file as Velmora writes it, opened straight from the disk, beside.
        const file = `file://${join(folder, 'My Product Survey.htm')}`;
        for (const [name, url] of [['survey', survey], ['thanks', thanks], ['list', base],
                                   ['file', file]]) {
          await shots.goto(url);
          await shots.screenshot({ path: join(screenshots, `collect-${name}-${device}-${scheme}.png`) });
        }
      }
    }
  }
} finally {
  await browser.close();
  collector.kill('SIGTERM');
}

if (failures.length) {
  console.log(`FAIL:\n  ${failures.join('\n  ')}`);
  process.exit(1);
}
console.log('accessibility: Lighthouse, axe-core, touch, keyboard, names and sizes all passed');

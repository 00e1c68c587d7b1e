// Where the page looks for the original photos when their folder has moved.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { loadPage, plain } from './page.mjs';

const page = await loadPage('strings.js', 'strings-de.js', 'language.js', 'text.js', 'originals.js');

describe('originals', () => {
  test('the page\u2019s folder comes from its file address, names decoded as the manifest has them', () => {
    assert.equal(page.pageFolder('file:///media/ana/Fotos%20%C3%A4/_Photo%20Gallery/index.html'), '/media/ana/Fotos \u00e4/_Photo Gallery');
    assert.equal(page.pageFolder('file:///media/caf%E9/_Photo%20Gallery/index.html#photo=1'), '/media/caf\udce9/_Photo Gallery');
    assert.equal(page.pageFolder('file:///index.html'), '/');
    assert.equal(page.pageFolder('https://example.org/wall/index.html'), '');
  });

  test('a page inside the stored folder trusts it; elsewhere its parents come first', () => {
    assert.deepEqual(plain(page.originalCandidates('/home/ana/Pictures', '/home/ana/Pictures/_Photo Gallery')), ['/home/ana/Pictures']);
    assert.deepEqual(plain(page.originalCandidates('/', '/_Photo Gallery')), ['/']);
    assert.deepEqual(plain(page.originalCandidates('/home/ana/Pictures', '/media/usb/Pictures/_Photo Gallery')),
      ['/media/usb/Pictures', '/media/usb', '/home/ana/Pictures']);
    // A sibling whose name only starts like the stored folder is not inside it.
    assert.deepEqual(plain(page.originalCandidates('/home/ana/Pic', '/home/ana/Pictures/_Photo Gallery')),
      ['/home/ana/Pictures', '/home/ana', '/home/ana/Pic']);
    assert.deepEqual(plain(page.originalCandidates('/home/ana/Pictures', '/_Photo Gallery')), ['/', '/home/ana/Pictures']);
    assert.deepEqual(plain(page.originalCandidates('', '/media/usb/Wall')), ['/media/usb', '/media']);
    // A page not opened from a file has nothing to try but the stored folder.
    assert.deepEqual(plain(page.originalCandidates('/home/ana/Pictures', '')), ['/home/ana/Pictures']);
  });

  test('a page from a web server tries the folders above it on that server, named as read', () => {
    const cases = [
      ['http://127.0.0.1:8000/Fotos%20%C3%A4%20%231/_Photo%20Gallery/index.html#photo=1', [
        { base: 'http://127.0.0.1:8000/Fotos%20%C3%A4%20%231/', label: 'http://127.0.0.1:8000/Fotos \u00e4 #1' },
        { base: 'http://127.0.0.1:8000/', label: 'http://127.0.0.1:8000/' },
      ]],
      ['https://example.org/a/b/wall/?x=1', [
        { base: 'https://example.org/a/b/', label: 'https://example.org/a/b' },
        { base: 'https://example.org/a/', label: 'https://example.org/a' },
      ]],
      // Up to the server's root and no further; a wall at the root has nothing above it.
      ['http://example.org/_Photo%20Gallery/index.html', [{ base: 'http://example.org/', label: 'http://example.org/' }]],
      ['http://example.org/index.html', []],
      ['http://example.org/caf%E9/wall/', [
        { base: 'http://example.org/caf%E9/', label: 'http://example.org/caf\udce9' },
        { base: 'http://example.org/', label: 'http://example.org/' },
      ]],
    ];
    for (const [address, places] of cases) assert.deepEqual(plain(page.webCandidates(address)), places, address);
    assert.equal(page.servedOverWeb('http://example.org/index.html'), true);
    assert.equal(page.servedOverWeb('file:///home/ana/Pictures/_Photo%20Gallery/index.html'), false);
  });

  test('a folder on disk is a place by its file address', () => {
    assert.deepEqual(plain(page.diskPlace('/media/ana/Fotos #1')), { base: 'file:///media/ana/Fotos%20%231/', label: '/media/ana/Fotos #1' });
    assert.deepEqual(plain(page.diskPlace('/')), { base: 'file:///', label: '/' });
  });
});
